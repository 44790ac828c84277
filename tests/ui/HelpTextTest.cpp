#include "app/AppResources.h"

#include <QStringList>

#include <gtest/gtest.h>

using kalvo::helpText;

namespace {

QStringList helpLines() {
    return helpText().split(QStringLiteral("\r\n"));
}

// Width as a plain text editor shows it, tabs stopping every 8 columns.
int displayWidth(const QString& line) {
    int column = 0;
    for (QChar c : line)
        column = c == u'\t' ? (column / 8 + 1) * 8 : column + 1;
    return column;
}

} // namespace

TEST(HelpText, HasAbout112LinesSeparatedByCrLfOnly) {
    const QString text = helpText();
    ASSERT_FALSE(text.isEmpty());
    const QStringList lines = helpLines();
    EXPECT_EQ(lines.size(), 112);
    for (const QString& line : lines) {
        EXPECT_FALSE(line.contains(u'\r')) << line.toStdString();
        EXPECT_FALSE(line.contains(u'\n')) << line.toStdString();
    }
    EXPECT_GT(text.size(), 3800);
    EXPECT_LT(text.size(), 5200);
}

TEST(HelpText, NoLineIsWiderThan79Columns) {
    for (const QString& line : helpLines())
        EXPECT_LE(displayWidth(line), 79) << line.toStdString();
}

TEST(HelpText, StartsWithTheRulerAndTheTitle) {
    const QStringList lines = helpLines();
    ASSERT_GE(lines.size(), 5);
    const QString ruler = lines[0];
    EXPECT_EQ(ruler.size(), 79);
    EXPECT_TRUE(ruler.startsWith(QStringLiteral("<<<-")));
    EXPECT_TRUE(ruler.endsWith(QStringLiteral("->>>")));
    const QString words = QStringLiteral("NOTEPAD SHOULD BE THIS WIDE");
    const qsizetype at = ruler.indexOf(words);
    ASSERT_GT(at, 3);
    const qsizetype left = at - 3, right = ruler.size() - 3 - (at + words.size());
    EXPECT_LE(std::abs(left - right), 1); // centred
    EXPECT_EQ(QString(ruler).remove(words).remove(u'<').remove(u'>').remove(u'-'), QString());

    const qsizetype title = lines.indexOf(QStringLiteral("Kalvo"));
    ASSERT_GT(title, 0);
    EXPECT_EQ(lines[title + 1], QStringLiteral("by the Kalvo developers"));
    EXPECT_EQ(lines[title + 2], QStringLiteral("Thank You for Downloading my Program!"));
}

TEST(HelpText, HeadingsComeInTheirOrder) {
    const QStringList lines = helpLines();
    const QStringList headings = {
        QStringLiteral("Installing:"),
        QStringLiteral("To convert an 86 Program:"),
        QStringLiteral("ONCE YOUR PROGRAM HAS BEEN CONVERTED:"),
        QStringLiteral("YOU MUST change any menus, gotos, labels, delvars and variables manually."),
        QStringLiteral("MENUS Change"),
        QStringLiteral("LABELS Change"),
        QStringLiteral("GOTOS Change:"),
        QStringLiteral("Delvars Change:"),
        QStringLiteral("Variables Change:"),
        QStringLiteral("YOU HAVE BEEN WARNED:"),
        QStringLiteral("Any Questions or Comments?"),
        QStringLiteral("Send them to:"),
    };
    qsizetype previous = -1;
    for (const QString& heading : headings) {
        const qsizetype at = lines.indexOf(heading, previous + 1);
        EXPECT_GT(at, previous) << heading.toStdString();
        if (at > previous)
            previous = at;
    }
    // Section 9 names who to send questions to, without an address.
    EXPECT_TRUE(lines[lines.indexOf(QStringLiteral("Send them to:")) + 1].contains(
        QStringLiteral("the Kalvo developers")));
}

TEST(HelpText, QuotedPhrasesArePresent) {
    const QString text = helpText();
    for (const char* phrase : {
             "This will look for 82 different most commonly used functions,",
             "\"\u00F1\"",
             "just the -1 sign",
             "So basically, you replace the 1 with a title, and delete the numbers before",
             "DON'T FORGET TO CHANGE CORRESPONDING GOTOS.",
             "DON'T FORGET TO CHANGE CORRESPONDING LABELS.",
             "PLEASE BACK-UP",
         })
        EXPECT_TRUE(text.contains(QString::fromUtf8(phrase))) << phrase;
}

TEST(HelpText, FiveBoxedExamplesWithTabIndentedBasicLines) {
    const QStringList lines = helpLines();
    QList<qsizetype> stars;
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (!lines[i].isEmpty() && lines[i].count(u'*') == lines[i].size())
            stars.append(i);
    ASSERT_EQ(stars.size(), 10);
    const QList<QPair<QString, QString>> examples = {
        {QStringLiteral("Menu(1,"), QStringLiteral("Menu(\"")},
        {QStringLiteral("Lbl START"), QStringLiteral("Lbl ST")},
        {QStringLiteral("Goto START"), QStringLiteral("Goto ST")},
        {QStringLiteral("DelVar(A)"), QStringLiteral("DelVar A")},
        {QStringLiteral("213 -> MONEY"), QStringLiteral("213 -> M")},
    };
    for (int box = 0; box < 5; ++box) {
        const qsizetype open = stars[2 * box], close = stars[2 * box + 1];
        ASSERT_EQ(close - open, 4) << "box " << box; // TI-86 line, "to", TI-83 Plus line
        const QString from = lines[open + 1], to = lines[open + 3];
        EXPECT_EQ(lines[open + 2], QStringLiteral("to"));
        EXPECT_TRUE(from.startsWith(QStringLiteral("\t ") + examples[box].first))
            << from.toStdString();
        EXPECT_TRUE(to.startsWith(QStringLiteral("\t ") + examples[box].second))
            << to.toStdString();
    }
    EXPECT_EQ(lines[stars[2] + 3], QStringLiteral("\t Lbl ST"));
    EXPECT_EQ(lines[stars[8] + 3], QStringLiteral("\t 213 -> M"));
}

TEST(HelpText, NamesNoContactAddress) {
    const QString text = helpText();
    EXPECT_FALSE(text.contains(u'@'));
    EXPECT_FALSE(text.contains(QStringLiteral("http")));
    EXPECT_FALSE(text.contains(QStringLiteral("www")));
}
