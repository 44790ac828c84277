// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/ClipboardCommands.h"
#include "document/TextBuffer.h"

#include <gtest/gtest.h>

using namespace kalvo;

namespace {

// "<picture>" stands for other formats; `refuse` is "clear", "set" or "get".
struct FakeClipboard : Clipboard {
    bool clear() override { return refuse != "clear" && (content.clear(), true); }
    bool setText(std::string_view t) override { return refuse != "set" && (content = t, true); }
    std::optional<std::string> text() override {
        return refuse == "get" ? std::nullopt : std::optional(content);
    }
    std::string content = "<picture>", refuse;
};

// Selects, runs the command, shows its answer and the box: "ok:text|caret+length".
std::string run(bool (*command)(TextBox&, Clipboard&), TextBuffer& box, Clipboard& clipboard,
                Pos start, Pos length) {
    box.SetSelStart(start);
    box.SetSelLength(length);
    const std::string answer = command(box, clipboard) ? "ok:" : "refused:";
    return answer + box.Text() + "|" + std::to_string(box.SelStart()) + "+" +
           std::to_string(box.SelLength());
}

} // namespace

TEST(ClipboardCommands, CopyCutPasteAndSelectAll) {
    FakeClipboard c;
    TextBuffer box("x\r\n\xF1y\r\nz");
    EXPECT_EQ(run(copySelection, box, c, 1, 0), "ok:x\r\n\xF1y\r\nz|1+0"); // nothing selected
    EXPECT_EQ(run(cutSelection, box, c, 1, 0), "ok:x\r\n\xF1y\r\nz|1+0");
    EXPECT_EQ(c.content, "<picture>");
    // The clipboard holds exactly the selection, line breaks included.
    EXPECT_EQ(run(copySelection, box, c, 1, 5), "ok:x\r\n\xF1y\r\nz|1+5");
    EXPECT_EQ(c.content, "\r\n\xF1y\r");
    EXPECT_EQ(run(cutSelection, box, c, 1, 5), "ok:x\nz|1+0");
    EXPECT_EQ(run(pasteClipboard, box, c, 1, 0), "ok:x\r\n\xF1y\r\nz|6+0");
    c.content = ""; // no text: Paste deletes the selection
    EXPECT_EQ(run(pasteClipboard, box, c, 0, 3), "ok:\xF1y\r\nz|0+0");
    auto selectAllCommand = +[](TextBox& b, Clipboard&) { return focusAndSelectAll(b), true; };
    EXPECT_EQ(run(selectAllCommand, box, c, 2, 1), "ok:\xF1y\r\nz|0+5");
    TextBuffer empty;
    EXPECT_EQ(run(selectAllCommand, empty, c, 0, 0), "ok:|0+0");
    EXPECT_EQ(box.focusCount() + empty.focusCount(), 2); // only Select All moves the focus
}

TEST(ClipboardCommands, ARefusingClipboardCostsNothing) {
    FakeClipboard c;
    TextBuffer box("abcd"); // Cut keeps its selection when its text did not get through
    for (const char* refused : {"clear", "set", "get"}) {
        const bool get = (c.refuse = refused) == "get";
        EXPECT_EQ(run(get ? pasteClipboard : cutSelection, box, c, 1, 2), "refused:abcd|1+2");
        EXPECT_EQ(run(copySelection, box, c, 1, 2), get ? "ok:abcd|1+2" : "refused:abcd|1+2");
    }
}
