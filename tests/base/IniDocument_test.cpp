#include "base/IniDocument.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace korvalin {
namespace {

using namespace std::string_literals;

struct LookupCase {
    const char* name;
    std::string text;
    const char* section;
    const char* key;
    std::optional<std::string> expected;
};

class IniDocumentLookup : public ::testing::TestWithParam<LookupCase> {};

TEST_P(IniDocumentLookup, FindsValues) {
    const LookupCase& c = GetParam();
    EXPECT_EQ(IniDocument::Parse(c.text).Value(c.section, c.key), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniDocumentLookup,
    ::testing::Values(
        LookupCase{"plain", "[Options]\nRefresh=5\n", "Options", "Refresh", "5"},
        LookupCase{"names ignore case", "[OPTIONS]\nrefresh=5\n", "options", "REFRESH", "5"},
        LookupCase{"blanks around names and values", "  [ Options ]  \n  Refresh =  5 \n",
                   "Options", "Refresh", "5"},
        LookupCase{"missing key", "[Options]\nRefresh=5\n", "Options", "Other", std::nullopt},
        LookupCase{"key of another section", "[A]\nk=1\n[B]\n", "B", "k", std::nullopt},
        LookupCase{"first duplicate wins", "[S]\nk=first\nk=second\n", "S", "k", "first"},
        LookupCase{"repeated section merges, first wins", "[S]\na=1\n[T]\n[s]\nk=late\na=2\n", "S",
                   "k", "late"},
        LookupCase{"repeated section keeps the first value", "[S]\na=1\n[s]\na=2\n", "S", "a", "1"},
        LookupCase{"CRLF line ends", "[S]\r\nk=v\r\nj=w\r\n", "S", "k", "v"},
        LookupCase{"no final line end", "[S]\nk=v", "S", "k", "v"},
        LookupCase{"no final line end after CR", "[S]\r\nk=v\r", "S", "k", "v"},
        LookupCase{"empty value", "[S]\nk=\n", "S", "k", ""},
        LookupCase{"equals sign in value", "[S]\nk=a=b\n", "S", "k", "a=b"},
        LookupCase{"comment is no key", "[S]\n;k=v\n#k=w\n", "S", ";k", std::nullopt},
        LookupCase{"key before any section", "k=v\n[S]\n", "S", "k", std::nullopt},
        LookupCase{"NUL bytes and junk around", "\x01\xff\x00junk\n[S]\nk=v\x00w\n\x7f\x80"s, "S",
                   "k", "v\x00w"s},
        LookupCase{"header text after the bracket", "[S] trailing\nk=v\n", "S", "k", "v"},
        LookupCase{"unclosed header is a plain line", "[S]\n[T\nk=v\n", "S", "k", "v"},
        LookupCase{"empty document", "", "S", "k", std::nullopt}),
    [](const auto& info) {
        std::string name;
        for (const char c : std::string(info.param.name)) {
            name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        }
        return name;
    });

TEST(IniDocumentRoundTrip, KeepsEveryLineAsItWas) {
    const std::string text =
        "; settings\n\n[Graphs]\n  Big = 1 \n#note\nnot ini at all\n\x01\x02\x00\n\n[Sums]\n"
        "Sent=12\n"s;
    EXPECT_EQ(IniDocument::Parse(text).Serialize(), text);
}

TEST(IniDocumentRoundTrip, KeepsCrlfLineEnds) {
    const std::string text = "[S]\r\nk=v\r\n";
    IniDocument document = IniDocument::Parse(text);
    EXPECT_EQ(document.Serialize(), text);
    ASSERT_TRUE(document.SetValue("S", "j", "w"));
    EXPECT_EQ(document.Serialize(), "[S]\r\nk=v\r\nj=w\r\n");
}

TEST(IniDocumentRoundTrip, AddsTheMissingFinalLineEnd) {
    EXPECT_EQ(IniDocument::Parse("[S]\nk=v").Serialize(), "[S]\nk=v\n");
}

TEST(IniDocumentRoundTrip, KeepsVeryLongLines) {
    const std::string longValue(3 * 1024 * 1024, 'x');
    const std::string text = "[S]\nlong=" + longValue + "\nk=v\n";
    IniDocument document = IniDocument::Parse(text);
    EXPECT_EQ(document.Value("S", "long"), longValue);
    ASSERT_TRUE(document.SetValue("S", "k", "w"));
    EXPECT_EQ(document.Serialize(), "[S]\nlong=" + longValue + "\nk=w\n");
}

TEST(IniDocumentSetValue, ChangesOnlyTheFirstDuplicateAndKeepsItsSpelling) {
    IniDocument document = IniDocument::Parse("[S]\n  Refresh = 5\nrefresh=6\n");
    ASSERT_TRUE(document.SetValue("s", "REFRESH", "7"));
    EXPECT_EQ(document.Serialize(), "[S]\nRefresh=7\nrefresh=6\n");
}

TEST(IniDocumentSetValue, AppendsToTheSectionBeforeTheBlankLinesThatEndIt) {
    IniDocument document = IniDocument::Parse("[A]\na=1\n; about a\n\n[B]\nb=2\n");
    ASSERT_TRUE(document.SetValue("a", "new", "x"));
    EXPECT_EQ(document.Serialize(), "[A]\na=1\n; about a\nnew=x\n\n[B]\nb=2\n");
}

TEST(IniDocumentSetValue, AddsAMissingSectionAtTheEnd) {
    IniDocument document = IniDocument::Parse("[A]\na=1");
    ASSERT_TRUE(document.SetValue("B", "b", "2"));
    EXPECT_EQ(document.Serialize(), "[A]\na=1\n\n[B]\nb=2\n");

    IniDocument empty;
    ASSERT_TRUE(empty.SetValue("B", "b", "2"));
    EXPECT_EQ(empty.Serialize(), "[B]\nb=2\n");
}

TEST(IniDocumentSetValue, TurnsLineBreaksInValuesIntoBlanks) {
    IniDocument document;
    ASSERT_TRUE(document.SetValue("S", "k", "one\r\n[Injected]\nx=1"));
    const IniDocument reread = IniDocument::Parse(document.Serialize());
    EXPECT_FALSE(reread.HasSection("Injected"));
    EXPECT_EQ(reread.Value("S", "k"), "one  [Injected] x=1");
}

struct NameCase {
    const char* section;
    const char* key;
    bool storable;
};

class IniDocumentNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(IniDocumentNames, RefusesNamesThatCannotBeReadBack) {
    const NameCase& c = GetParam();
    IniDocument document = IniDocument::Parse("[S]\nk=v\n");
    const std::string before = document.Serialize();
    EXPECT_EQ(document.SetValue(c.section, c.key, "x"), c.storable);
    if (c.storable) {
        EXPECT_EQ(IniDocument::Parse(document.Serialize()).Value(c.section, c.key), "x");
    } else {
        EXPECT_EQ(document.Serialize(), before);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, IniDocumentNames,
                         ::testing::Values(NameCase{"S", "k", true}, NameCase{"S", " k ", true},
                                           NameCase{"Software\\A B\\C", "Left", true},
                                           NameCase{"S", "", false}, NameCase{"S", "  ", false},
                                           NameCase{"S", "a=b", false},
                                           NameCase{"S", "a\nb", false}, NameCase{"S", "[k", false},
                                           NameCase{"S", ";k", false}, NameCase{"S", "#k", false},
                                           NameCase{"", "k", false}, NameCase{"a]b", "k", false},
                                           NameCase{"a\nb", "k", false}));

TEST(IniDocumentRemoveValue, RemovesEveryDuplicateAndNothingElse) {
    IniDocument document = IniDocument::Parse("[S]\nk=1\nj=2\n[T]\nk=3\n[s]\nK=4\n");
    EXPECT_TRUE(document.RemoveValue("S", "k"));
    EXPECT_EQ(document.Serialize(), "[S]\nj=2\n[T]\nk=3\n[s]\n");
    EXPECT_FALSE(document.RemoveValue("S", "k"));
}

TEST(IniDocumentSections, ListsSectionsAndKeysOnceInFileOrder) {
    const IniDocument document = IniDocument::Parse("[B]\nx=1\nY=2\n[A]\n[b]\ny=3\nz=4\n");
    EXPECT_EQ(document.SectionNames(), (std::vector<std::string>{"B", "A"}));
    EXPECT_EQ(document.KeyNames("b"), (std::vector<std::string>{"x", "Y", "z"}));
    EXPECT_TRUE(document.HasSection("a"));
    EXPECT_FALSE(document.HasSection("C"));
}

TEST(IniDocumentSections, AddSectionCreatesAnEmptySectionOnce) {
    IniDocument document = IniDocument::Parse("[A]\n");
    EXPECT_TRUE(document.AddSection("B"));
    EXPECT_TRUE(document.AddSection("b"));
    EXPECT_FALSE(document.AddSection("bad]"));
    EXPECT_EQ(document.Serialize(), "[A]\n\n[B]\n");
}

}  // namespace
}  // namespace korvalin
