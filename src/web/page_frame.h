// The document the page frame is given for a quiz page.
#pragma once

#include <string>
#include <string_view>

// The page's policy: it loads pictures, styles, fonts and sounds carried in
// the page itself (data: addresses), and nothing else.
inline constexpr char kFramePolicy[] =
    "default-src 'none'; img-src data:; style-src 'unsafe-inline' data:; font-src data:; "
    "media-src data:; form-action 'none'";

// The page with the frame's own policy put at its head, and its links made
// to open in a new window, which the frame's sandbox refuses, so a click on
// a link leaves the question where it is. Both go right after a leading
// doctype, so that the page keeps the layout mode it asked for.
std::string FramePage(std::string_view page);
