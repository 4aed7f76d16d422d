// CQuestion: one record of a quiz file.
#pragma once

#include "quiz/item_list.h"
#include "quiz/text_buffer.h"

class CQuestion {
public:
    CTextBuffer text;
    CTextList answers;
    CTextBuffer comment;
    CTextBuffer explanation;
    bool ordered = false;
    bool asked = false;
};
