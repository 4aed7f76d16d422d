// A text-level file that reaches up into the quiz library.
#include "quiz/question_set.h"
#include "text/upward.h"
