// The language-text grammar: line kinds, field rules, errors and the re-parse rules of
// the language's string list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/streams.h"
#include "localisation/cmp_TTranslator.h"
#include "platform/files.h"

namespace {

class Parser : public testing::Test {
protected:
    TTranslator translator{nullptr};
    TLanguage* lang = translator.lgEnglish();

    void SetLines(const std::vector<std::string>& lines) {
        TStringList l;
        for (const auto& s : lines) l.Add(s);
        lang->SetStrings(&l);
    }
    // The message of the exception raised by setting these lines.
    std::string ErrorOf(const std::vector<std::string>& lines) {
        try {
            SetLines(lines);
        } catch (const Exception& e) {
            EXPECT_EQ(typeid(e), typeid(Exception)) << "raised as the plain base class";
            return e.Message();
        }
        return "(no error)";
    }
    static std::string FormatMsg(int line, const std::string& text) {
        return "The " + std::to_string(line) + "'th string (" + text +
               ") does not have the proper format of GLID;Text";
    }
    static std::string IdentMsg(int line, const std::string& text) {
        return FormatMsg(line, text) + " or .GLID;";
    }
};

TEST_F(Parser, ValidTextGivesStringsAndMemos) {
    SetLines({"* buttons", "1;OK", "2;Cancel", "#10", "This program installs", "the product.", "#"});
    ASSERT_EQ(lang->StringItems().size(), 2u);
    ASSERT_EQ(lang->MemoItems().size(), 1u);
    TLanguageString* ok = lang->StringItems()[0];
    EXPECT_EQ(ok->GLID, 1);
    EXPECT_EQ(ok->Text, "OK");
    EXPECT_EQ(ok->LineIndex, 1);
    EXPECT_EQ(ok->Language, lang);
    EXPECT_EQ(lang->StringItems()[1]->Text, "Cancel");
    EXPECT_EQ(lang->StringItems()[1]->LineIndex, 2);
    TLanguageMemo* m = lang->MemoItems()[0];
    EXPECT_EQ(m->GLID, 10);
    EXPECT_EQ(m->LineIndex, 3);
    EXPECT_EQ(m->Lines.ToVector(), (std::vector<std::string>{"This program installs", "the product."}));
}

TEST_F(Parser, LinesAreTrimmedAndBlankLinesIgnored) {
    SetLines({"", "   ", "\t 5;Five \t", "  #6  ", "", "   first  ", "\t", "  #  "});
    ASSERT_EQ(lang->StringItems().size(), 1u);
    EXPECT_EQ(lang->StringItems()[0]->Text, "Five");
    EXPECT_EQ(lang->StringItems()[0]->LineIndex, 2);
    ASSERT_EQ(lang->MemoItems().size(), 1u);
    EXPECT_EQ(lang->MemoItems()[0]->LineIndex, 3);
    EXPECT_EQ(lang->MemoItems()[0]->Lines.ToVector(), (std::vector<std::string>{"first"}));
}

TEST_F(Parser, FieldRules) {
    SetLines({"12;Hello;World", "13; Hello", "$1F;Hex", "-4;Negative", "+7;Plus", "  8;x"});
    const auto& s = lang->StringItems();
    ASSERT_EQ(s.size(), 6u);
    EXPECT_EQ(s[0]->Text, "Hello");  // everything from the second ';' is ignored
    EXPECT_EQ(s[1]->Text, " Hello");  // the blank after ';' is kept
    EXPECT_EQ(s[2]->GLID, 0x1F);
    EXPECT_EQ(s[3]->GLID, -4);
    EXPECT_EQ(s[4]->GLID, 7);
    EXPECT_EQ(s[5]->GLID, 8);
}

TEST_F(Parser, TextsAreCutTo255) {
    std::string longText(300, 'a');
    longText[254] = 'Z';
    SetLines({"1;" + longText, "2;" + std::string(255, 'b')});
    EXPECT_EQ(lang->StringItems()[0]->Text.size(), 255u);
    EXPECT_EQ(lang->StringItems()[0]->Text.back(), 'Z');
    EXPECT_EQ(lang->StringItems()[1]->Text, std::string(255, 'b'));
}

TEST_F(Parser, MemoHeaderRulesAndContent) {
    // The rest of a header is ignored; "#7" inside a memo is an ordinary line; comments
    // inside a memo are not part of it; a hex identifier is allowed for memos too.
    SetLines({"#7;Title;more", "line one", "* not in the memo", "#7", "1;looks like a string", "#", "#$10", "x",
              "#"});
    ASSERT_EQ(lang->MemoItems().size(), 2u);
    EXPECT_TRUE(lang->StringItems().empty());
    EXPECT_EQ(lang->MemoItems()[0]->GLID, 7);
    EXPECT_EQ(lang->MemoItems()[0]->Lines.ToVector(),
              (std::vector<std::string>{"line one", "#7", "1;looks like a string"}));
    EXPECT_EQ(lang->MemoItems()[1]->GLID, 16);
}

TEST_F(Parser, MemoLeftOpenIsDroppedWithoutError) {
    SetLines({"1;One", "#2", "never closed", "3;inside the memo"});
    EXPECT_TRUE(lang->MemoItems().empty());
    ASSERT_EQ(lang->StringItems().size(), 1u);
    EXPECT_EQ(lang->StringItems()[0]->GLID, 1);
}

TEST_F(Parser, DuplicateIdentifiersAreKeptInLineOrder) {
    SetLines({"5;first", "5;second", "#5", "a", "#", "#5", "b", "#"});
    EXPECT_EQ(lang->FindStringByGLID(5)->Text, "first");
    EXPECT_EQ(lang->FindMemoByGLID(5)->Lines[0], "a");
    EXPECT_EQ(lang->FindStringByGLID(6), nullptr);
}

TEST_F(Parser, EndMarkerOutsideMemo) {
    EXPECT_EQ(ErrorOf({"#"}), "Found the end of memo marker # at line 0. Was not in a memo however");
    EXPECT_EQ(ErrorOf({"1;a", "", "  #  "}), "Found the end of memo marker # at line 2. Was not in a memo however");
}

TEST_F(Parser, FormatErrors) {
    EXPECT_EQ(ErrorOf({"12;"}), FormatMsg(0, "12;"));
    EXPECT_EQ(ErrorOf({"1;ok", "12"}), FormatMsg(1, "12"));
    EXPECT_EQ(ErrorOf({";Text"}), FormatMsg(0, ";Text"));
    EXPECT_EQ(ErrorOf({"12;   ;x"}), FormatMsg(0, "12;   ;x"));
    EXPECT_EQ(ErrorOf({"#;memo"}), FormatMsg(0, "#;memo"));
    EXPECT_EQ(ErrorOf({"  12;  \t"}), FormatMsg(0, "12;"));  // the trimmed line is reported
}

TEST_F(Parser, IdentifierErrors) {
    EXPECT_EQ(ErrorOf({"x;Hello"}), IdentMsg(0, "x;Hello"));
    EXPECT_EQ(ErrorOf({"1;a", "12 ;Hello"}), IdentMsg(1, "12 ;Hello"));
    EXPECT_EQ(ErrorOf({"#abc"}), IdentMsg(0, "#abc"));
    EXPECT_EQ(ErrorOf({"#7 ;x"}), IdentMsg(0, "#7 ;x"));
    EXPECT_EQ(ErrorOf({"99999999999;big"}), IdentMsg(0, "99999999999;big"));
    EXPECT_EQ(ErrorOf({"$;x"}), IdentMsg(0, "$;x"));
    EXPECT_EQ(ErrorOf({"0x10;Text"}), IdentMsg(0, "0x10;Text"));  // "$" is the only hex prefix
    EXPECT_EQ(ErrorOf({"#-0X10"}), IdentMsg(0, "#-0X10"));
}

TEST_F(Parser, ErrorLeavesNoElementsButKeepsTheLines) {
    SetLines({"1;One", "#2", "memo", "#"});
    ASSERT_EQ(lang->StringItems().size(), 1u);
    EXPECT_NE(ErrorOf({"1;One", "#2", "memo", "#", "bad"}), "(no error)");
    EXPECT_TRUE(lang->StringItems().empty());
    EXPECT_TRUE(lang->MemoItems().empty());
    EXPECT_EQ(lang->Strings()->Count(), 5);
    // Repairing the line parses again.
    lang->Strings()->Delete(4);
    EXPECT_EQ(lang->StringItems().size(), 1u);
    EXPECT_EQ(lang->MemoItems().size(), 1u);
}

TEST_F(Parser, AssignAndLoadFromFileParseOnce) {
    TStringList l;
    for (int i = 1; i <= 20; ++i) l.Add(std::to_string(i) + ";t" + std::to_string(i));
    int before = lang->ParseCount();
    lang->SetStrings(&l);
    EXPECT_EQ(lang->ParseCount(), before + 1);
    EXPECT_EQ(lang->StringItems().size(), 20u);
    EXPECT_TRUE(lang->AutoParse());

    const std::string path = platform::GetTempPath() + "zrniParseOnce.txt";
    l.SaveToFile(path);
    before = lang->ParseCount();
    lang->Strings()->LoadFromFile(path);
    EXPECT_EQ(lang->ParseCount(), before + 1);
    EXPECT_EQ(lang->StringItems().size(), 20u);
    platform::DeleteFile(path);
}

TEST_F(Parser, FailingAssignRestoresAutoParseWithoutParsing) {
    int before = lang->ParseCount();
    EXPECT_THROW(lang->Strings()->LoadFromFile("C:\\no such folder\\missing.txt"), EStreamError);
    EXPECT_TRUE(lang->AutoParse());
    EXPECT_EQ(lang->ParseCount(), before);
    TFont font;
    EXPECT_THROW(lang->Strings()->Assign(&font), EConvertError);
    EXPECT_TRUE(lang->AutoParse());
    EXPECT_EQ(lang->ParseCount(), before);
}

TEST_F(Parser, InterceptedOperationsParseOnceEach) {
    TLangFormatStrings* s = lang->Strings();
    int n = lang->ParseCount();
    s->Add("1;a");
    EXPECT_EQ(lang->ParseCount(), ++n);
    s->AddObject("2;b", nullptr);
    EXPECT_EQ(lang->ParseCount(), ++n);
    s->Insert(0, "3;c");
    EXPECT_EQ(lang->ParseCount(), ++n);
    EXPECT_EQ(lang->StringItems()[0]->GLID, 3);
    s->Move(0, 2);
    EXPECT_EQ(lang->ParseCount(), ++n);
    EXPECT_EQ(lang->StringItems()[2]->GLID, 3);
    EXPECT_EQ(lang->StringItems()[2]->LineIndex, 2);
    s->Delete(0);
    EXPECT_EQ(lang->ParseCount(), ++n);
    TStringList more;
    more.Add("4;d");
    more.Add("5;e");
    s->AddStrings(&more);
    EXPECT_EQ(lang->ParseCount(), ++n);
    EXPECT_EQ(lang->StringItems().size(), 4u);
    TMemoryStream ms;
    std::string text = "6;f\r\n7;g\r\n8;h\r\n";
    ms.WriteBuffer(text.data(), std::int32_t(text.size()));
    ms.SetPosition(0);
    s->LoadFromStream(&ms);
    EXPECT_EQ(lang->ParseCount(), ++n);
    EXPECT_EQ(lang->StringItems().size(), 3u);
    s->Clear();
    EXPECT_EQ(lang->ParseCount(), ++n);
    EXPECT_TRUE(lang->StringItems().empty());
}

TEST_F(Parser, PutAndExchangeDoNotParseButSetTextParsesPerLine) {
    SetLines({"1;a", "2;b"});
    int n = lang->ParseCount();
    lang->Strings()->Put(0, "1;changed");
    lang->Strings()->Exchange(0, 1);
    EXPECT_EQ(lang->ParseCount(), n);
    EXPECT_EQ(lang->StringItems()[0]->Text, "a");  // the elements are those of the last parse
    lang->Strings()->SetText("1;x\r\n2;y\r\n3;z\r\n");
    EXPECT_EQ(lang->ParseCount(), n + 1 + 3);  // the clear, then each line
    EXPECT_EQ(lang->StringItems().size(), 3u);
}

TEST_F(Parser, StreamedLinesParseAsTheyArrive) {
    // Lines arriving one by one: a memo that is still open is no error on the way.
    TLangFormatStrings* s = lang->Strings();
    s->Clear();
    s->Add("#4");
    EXPECT_TRUE(lang->MemoItems().empty());
    s->Add("memo line");
    s->Add("#");
    EXPECT_EQ(lang->MemoItems().size(), 1u);
    EXPECT_THROW(s->Add("#"), Exception);
    EXPECT_TRUE(lang->MemoItems().empty());
}

TEST_F(Parser, ParseStringsDoesNothingWhileAutoParseIsOff) {
    SetLines({"1;a"});
    lang->SetAutoParse(false);
    lang->Strings()->Add("#");
    EXPECT_EQ(lang->StringItems().size(), 1u);
    lang->SetAutoParse(true);
    EXPECT_THROW(lang->ParseStrings(), Exception);
}

}  // namespace
