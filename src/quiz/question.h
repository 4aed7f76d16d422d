// CQuestion: one record of a quiz file.
#pragma once

#include <cstdint>

#include "text/item_list.h"
#include "text/text_buffer.h"

// An item list that can take all the slots it will need in one step. The loader
// knows how many answers a question has before it stores them, so a quiz of many
// one-answer questions does not carry twenty empty slots per question; and the
// question list grows in doubling steps, so a long quiz is not copied slot by slot
// every twenty questions. Later Adds grow by the usual step again.
template <typename T> class CSizedItemList : public CItemList<T> {
public:
    void ReserveSlots(int32_t n) {
        if (n <= this->m_nCapacity)
            return;
        const int32_t step = this->m_nGrowBy;
        this->m_nGrowBy = n - this->m_nCapacity;
        this->Grow();
        this->m_nGrowBy = step;
    }
};

using CAnswerList = CSizedItemList<CTextBuffer>;

class CQuestion {
public:
    CTextBuffer text;
    CAnswerList answers;
    CTextBuffer comment;
    CTextBuffer explanation;
    bool ordered = false;
    bool asked = false;
};

using CQuestionList = CSizedItemList<CQuestion>;
