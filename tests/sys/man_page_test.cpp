// Manual pages from plain text: nothing in the text can become a roff request or escape.
#include <gtest/gtest.h>

#include "sys/man_page.h"

namespace {

TEST(ManPage, TextCannotTurnIntoRoff) {
    EXPECT_EQ(RoffText(QStringLiteral("--since a-b C:\\x")),
              QStringLiteral("\\-\\-since a\\-b C:\\ex"));
    EXPECT_EQ(RoffText(QStringLiteral("caf\u00e9 \u2026 \U0001F5B1")),
              QStringLiteral("caf\\[u00E9] \\[u2026] \\[u1F5B1]"));

    ManPage page(QStringLiteral("tool"), 1, QStringLiteral("tool 1.0"), QStringLiteral("User"));
    page.Name(QStringLiteral("does things"));
    page.Section(QStringLiteral("Description"));
    // A line starting with a dot or a quote would be a request; an empty line is one too.
    page.Paragraph(QStringLiteral(".so /etc/passwd\n\n'br"));
    page.Item(QStringLiteral("-x"), QStringLiteral(".B"));
    EXPECT_EQ(page.Text(), QStringLiteral(".TH TOOL 1 \"\" \"tool 1.0\" \"User\"\n"
                                          ".SH NAME\n"
                                          "tool \\- does things\n"
                                          ".SH DESCRIPTION\n"
                                          ".PP\n"
                                          "\\&.so /etc/passwd\n"
                                          "\\&'br\n"
                                          ".TP\n"
                                          "\\fB\\-x\\fR\n"
                                          "\\&.B\n"));
}

}  // namespace
