#include "shortcuts/ShortcutTable.h"

#include "shortcuts/DesktopUrlOpener.h"
#include "shortcuts/ReadMe.h"

#include <QSet>
#include <QUrl>
#include <QUrlQuery>
#include <gtest/gtest.h>

namespace orvanto {
namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

QString addressOf(const char* control) {
    for (const Shortcut& entry : Shortcuts) {
        if (entry.control == QLatin1String(control)) {
            return entry.address;
        }
    }
    ADD_FAILURE() << "no shortcut for " << control;
    return {};
}

bool underExampleDomain(const QString& host) {
    for (const char* domain : {"example.com", "example.net", "example.org", "example"}) {
        const QString d = s(domain);
        if (host == d || host.endsWith(QLatin1Char('.') + d)) {
            return true;
        }
    }
    return false;
}

TEST(ShortcutTable, CoversTheGridTheStatusRowAndTheMailLabel) {
    // The 30 web buttons of the grid, the two of the status row and the e-mail label.
    const QStringList expected = {
        s("Command36"), s("Command21"), s("Command38"), s("Command51"), s("Command37"),
        s("Command16"), s("Command29"), s("Command49"), s("Command25"), s("Command44"),
        s("Command19"), s("Command22"), s("Command28"), s("Command15"), s("Command40"),
        s("Command20"), s("Command35"), s("Command14"), s("Command50"), s("Command39"),
        s("Command24"), s("Command26"), s("Command30"), s("Command48"), s("Command52"),
        s("Command27"), s("Command17"), s("Command32"), s("Command18"), s("Command53"),
        s("Command7"),  s("Command55"), s("Label26")};
    QSet<QString> controls;
    for (const Shortcut& entry : Shortcuts) {
        controls.insert(entry.control);
    }
    EXPECT_EQ(controls.size(), qsizetype(Shortcuts.size())); // no control twice
    EXPECT_EQ(controls, QSet<QString>(expected.begin(), expected.end()));
}

TEST(ShortcutTable, AddressesAreAbsoluteAndUnderExampleDomains) {
    int endingWithBlank = 0;
    QSet<QString> distinct;
    for (const Shortcut& entry : Shortcuts) {
        const QString address = entry.address;
        distinct.insert(address);
        endingWithBlank += address.endsWith(QLatin1Char(' ')) ? 1 : 0;
        const QUrl url(address, QUrl::StrictMode);
        if (entry.control == EmailLabelControl) {
            ASSERT_EQ(url.scheme(), s("mailto")) << address.toStdString();
            EXPECT_TRUE(underExampleDomain(url.path().section(QLatin1Char('@'), 1)));
        } else {
            // The blank at the end of two addresses is not valid in strict mode.
            const QUrl trimmed(address.trimmed(), QUrl::StrictMode);
            ASSERT_TRUE(trimmed.isValid()) << address.toStdString();
            EXPECT_EQ(trimmed.scheme(), s("http")) << address.toStdString();
            EXPECT_TRUE(underExampleDomain(trimmed.host())) << address.toStdString();
        }
    }
    EXPECT_EQ(endingWithBlank, 2);
    // Every control has a page of its own, except the two "Asteri TV" buttons.
    EXPECT_EQ(distinct.size(), qsizetype(Shortcuts.size()) - 1);
    EXPECT_EQ(addressOf("Command17"), addressOf("Command32"));
}

TEST(ShortcutTable, RowsWithAFixedShape) {
    const QUrl flasch(addressOf("Command38"));
    ASSERT_TRUE(flasch.hasFragment());
    const QUrlQuery keys(flasch.fragment());
    EXPECT_TRUE(keys.hasQueryItem(s("r")));
    EXPECT_TRUE(keys.hasQueryItem(s("s")));
    EXPECT_TRUE(addressOf("Command38").endsWith(flasch.fragment()));

    EXPECT_EQ(QUrl(addressOf("Command29")).path(), s("/player/tvlive"));
}

TEST(ShortcutTable, EmailLabelShowsTheContactAddress) {
    const QString mailto = addressOf("Label26");
    EXPECT_EQ(EmailLabelText(), s("Klick edo Gia Email: ") + mailto.mid(7));
    EXPECT_EQ(EmailLabelText(), s("Klick edo Gia Email: orvanto@example.org"));
}

TEST(ReadMe, TextIsKeptExactly) {
    const QString& text = ReadMeText();
    EXPECT_EQ(text.size(), 889);
    EXPECT_TRUE(text.startsWith(s("opos tha dite i nea aytoi version ")));
    EXPECT_TRUE(text.endsWith(s("patontas to Button dipla pou grafi silverlight")));
    // Its only double blank, and the blanks around the parenthesis and the comma.
    EXPECT_EQ(text.count(s("  ")), 1);
    EXPECT_TRUE(text.contains(s("arketa  deyterolepta!!!!!...")));
    EXPECT_TRUE(text.contains(s("arxio ( silverlight) pou")));
    EXPECT_TRUE(text.contains(s("Microsoft ,i patontas")));
    EXPECT_TRUE(text.contains(s("litourgoi..... .ta sport")));
    EXPECT_TRUE(text.contains(s("podosferou ... sta ADULT")));
    EXPECT_FALSE(text.contains(QLatin1Char('\n')));
}

TEST(DesktopUrlOpener, HandsTheAddressOnWithoutTheBlanksAroundIt) {
    EXPECT_EQ(UrlForOpening(s("http://tilesport.example/ ")), QUrl(s("http://tilesport.example/")));
    EXPECT_EQ(UrlForOpening(s(" http://a.example/x\t")), QUrl(s("http://a.example/x")));
    // Blanks inside stay; the fragment and the mail address are untouched.
    EXPECT_EQ(UrlForOpening(s("http://a.example/x y")).path(), s("/x y"));
    EXPECT_EQ(UrlForOpening(addressOf("Command38")).toString(QUrl::FullyEncoded),
              addressOf("Command38"));
    EXPECT_EQ(UrlForOpening(s("mailto:orvanto@example.org")).path(), s("orvanto@example.org"));
}

TEST(DesktopUrlOpener, RefusesWhatIsNoAbsoluteAddress) {
    // Refused before anything is started.
    DesktopUrlOpener opener;
    EXPECT_FALSE(opener.open(QString()));
    EXPECT_FALSE(opener.open(s("   ")));
    EXPECT_FALSE(opener.open(s("no address at all")));
    EXPECT_FALSE(opener.open(s("http://[broken")));
}

} // namespace
} // namespace orvanto
