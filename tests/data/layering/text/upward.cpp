// A text-level file that reaches up into the quiz library.
#include "text/upward.h"
#include "quiz/question_set.h"
