// The name desktops know the program by: the web site's host name reversed,
// which also names the menu entry and the AppStream metainfo.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "ui/torvi_dlg.h"

namespace {
// "https://a.b.c/path" -> "c.b.a"; empty when the address has no host.
std::string ReversedHost(std::string_view address) {
    const size_t scheme = address.find("://");
    if (scheme == std::string_view::npos)
        return {};
    std::string_view host = address.substr(scheme + 3);
    host = host.substr(0, host.find_first_of("/:?#"));
    std::string reversed;
    while (!host.empty()) {
        const size_t dot = host.rfind('.');
        const std::string_view label = dot == std::string_view::npos ? host : host.substr(dot + 1);
        if (!reversed.empty())
            reversed += '.';
        reversed += label;
        host = dot == std::string_view::npos ? std::string_view() : host.substr(0, dot);
    }
    return reversed;
}
} // namespace

TEST(DesktopIdentity, ReversedHostTurnsTheLabelsAround) {
    EXPECT_EQ(ReversedHost("https://quiz.example.org/"), "org.example.quiz");
    EXPECT_EQ(ReversedHost("http://a.b:8080/x"), "b.a");
    EXPECT_EQ(ReversedHost("no address"), "");
}

TEST(DesktopIdentity, IdIsTheWebSiteHostReversed) {
    EXPECT_EQ(std::string(TORVI_APP_ID), ReversedHost(CTorviDlg::kWebSiteAddress));
}
