// What the page's script does for the web window: each call shows one thing
// in the DOM or reads one control back. The script keeps no quiz state; it is
// told what to show. Texts are UTF-8; selections count UTF-16 code units, as
// the DOM does.
#pragma once

#include <cstdint>

extern "C" {
// A copy of the answer box's text made with malloc; the caller frees it.
char* torvi_dom_get_answer(int box);
void torvi_dom_set_answer(int box, const char* text);
void torvi_dom_enable_answer(int box, int enable);
void torvi_dom_show_answer(int box, int show);
void torvi_dom_focus_answer(int box);
int torvi_dom_focused_answer(void);
void torvi_dom_get_selection(int box, int* start, int* end);
void torvi_dom_set_selection(int box, int start, int end);
void torvi_dom_set_feedback(const char* text);
void torvi_dom_set_comment(const char* text);
int torvi_dom_feedback_width(void);
void torvi_dom_enable_button(int button, int enable);
void torvi_dom_check_menu(int item, int checked);
void torvi_dom_set_title(const char* text);
void torvi_dom_message(const char* text, const char* caption);
void torvi_dom_show_page(const char* html);
void torvi_dom_play(const unsigned char* data, uint32_t length);
void torvi_dom_stop(void);
}
