// The help page the F1 key opens: one self-contained UTF-8 file whose elements all close, that
// loads nothing from outside, has a section per window in English and Portuguese, and names the
// controls with the captions the language files put on screen.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/ini_file.h"
#include "platform/utf.h"

namespace vorlin::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kAssets = VORLIN_ASSETS_DIR;

std::string ReadText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string DecodeEntities(const std::string& s) {
    static const std::map<std::string, std::string> kNamed = {
        {"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}, {"apos", "'"}, {"nbsp", " "}};
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '&') {
            const size_t semi = s.find(';', i);
            if (semi != std::string::npos && semi - i <= 8) {
                auto it = kNamed.find(s.substr(i + 1, semi - i - 1));
                if (it != kNamed.end()) {
                    out += it->second;
                    i = semi;
                    continue;
                }
            }
        }
        out += s[i];
    }
    return out;
}

struct Element {
    std::string name;
    std::map<std::string, std::string> attrs;
    int parent = -1;
    std::string text;  // the plain text inside, entities decoded, white space collapsed
};

// A small scanner for the subset of HTML the page is written in: every non-void element is
// closed explicitly and in order, so any mismatch is reported as a problem.
struct Page {
    std::vector<Element> elements;
    std::vector<std::string> problems;
    std::string styleText;

    const Element* ById(const std::string& id) const {
        for (const Element& e : elements) {
            auto it = e.attrs.find("id");
            if (it != e.attrs.end() && it->second == id) return &e;
        }
        return nullptr;
    }
    bool IsInside(const Element& e, const Element& ancestor) const {
        for (int p = e.parent; p >= 0; p = elements[p].parent)
            if (&elements[p] == &ancestor) return true;
        return false;
    }
};

Page Scan(const std::string& html) {
    static const std::set<std::string> kVoid = {"area",   "base",  "br",    "col",  "embed",
                                                "hr",     "img",   "input", "link", "meta",
                                                "source", "track", "wbr"};
    Page page;
    std::vector<int> open;
    auto addText = [&](const std::string& raw) {
        const std::string t = DecodeEntities(raw);
        for (int idx : open) {
            std::string& text = page.elements[idx].text;
            for (char c : t) {
                const bool blank = isspace(static_cast<unsigned char>(c));
                if (!blank)
                    text += c;
                else if (!text.empty() && text.back() != ' ')
                    text += ' ';
            }
        }
    };
    size_t i = 0;
    while (i < html.size()) {
        const size_t lt = html.find('<', i);
        addText(html.substr(i, lt == std::string::npos ? std::string::npos : lt - i));
        if (lt == std::string::npos) break;
        if (html.compare(lt, 4, "<!--") == 0) {
            const size_t end = html.find("-->", lt + 4);
            if (end == std::string::npos) {
                page.problems.push_back("unterminated comment");
                break;
            }
            i = end + 3;
            continue;
        }
        const size_t gt = html.find('>', lt);
        if (gt == std::string::npos) {
            page.problems.push_back("unterminated tag at byte " + std::to_string(lt));
            break;
        }
        std::string tag = html.substr(lt + 1, gt - lt - 1);
        i = gt + 1;
        if (tag.empty() || tag[0] == '!') continue;  // the doctype
        addText(" ");
        if (tag[0] == '/') {
            const std::string name = Lower(tag.substr(1));
            if (open.empty() || page.elements[open.back()].name != name) {
                page.problems.push_back("</" + name + "> closes " +
                                        (open.empty()
                                             ? std::string("nothing")
                                             : "<" + page.elements[open.back()].name + ">"));
                continue;
            }
            open.pop_back();
            continue;
        }
        Element e;
        size_t p = 0;
        while (p < tag.size() && !isspace(static_cast<unsigned char>(tag[p])) && tag[p] != '/') ++p;
        e.name = Lower(tag.substr(0, p));
        while (p < tag.size()) {
            while (p < tag.size() && (isspace(static_cast<unsigned char>(tag[p])) || tag[p] == '/'))
                ++p;
            const size_t start = p;
            while (p < tag.size() && tag[p] != '=' && !isspace(static_cast<unsigned char>(tag[p])))
                ++p;
            if (p == start) break;
            const std::string key = Lower(tag.substr(start, p - start));
            std::string value;
            if (p < tag.size() && tag[p] == '=') {
                ++p;
                if (p < tag.size() && (tag[p] == '"' || tag[p] == '\'')) {
                    const char q = tag[p];
                    const size_t close = tag.find(q, p + 1);
                    if (close == std::string::npos) {
                        page.problems.push_back("unclosed quote in <" + e.name + ">");
                        break;
                    }
                    value = tag.substr(p + 1, close - p - 1);
                    p = close + 1;
                } else {
                    const size_t s = p;
                    while (p < tag.size() && !isspace(static_cast<unsigned char>(tag[p]))) ++p;
                    value = tag.substr(s, p - s);
                }
            }
            e.attrs[key] = DecodeEntities(value);
        }
        e.parent = open.empty() ? -1 : open.back();
        page.elements.push_back(e);
        const int idx = static_cast<int>(page.elements.size()) - 1;
        if (e.name == "style" || e.name == "script") {
            const size_t end = Lower(html).find("</" + e.name, i);
            if (end == std::string::npos) {
                page.problems.push_back("<" + e.name + "> never closed");
                break;
            }
            if (e.name == "style") page.styleText += html.substr(i, end - i);
            i = html.find('>', end) + 1;
            continue;
        }
        if (!kVoid.count(e.name) && tag.back() != '/') open.push_back(idx);
    }
    for (int idx : open) page.problems.push_back("<" + page.elements[idx].name + "> never closed");
    return page;
}

bool IsRemote(const std::string& url) {
    const std::string u = Lower(url);
    return u.rfind("http:", 0) == 0 || u.rfind("https:", 0) == 0 || u.rfind("//", 0) == 0 ||
           u.rfind("ftp:", 0) == 0;
}

// What would make the page load anything besides itself: scripts, any src, an href on anything
// but a plain link, links to pages of this file that do not exist, and urls in the style sheet.
std::vector<std::string> LoadProblems(const Page& page) {
    std::vector<std::string> out;
    for (const Element& e : page.elements) {
        if (e.name == "script" || e.name == "iframe" || e.name == "object" || e.name == "embed")
            out.push_back("<" + e.name + ">");
        for (const auto& [key, value] : e.attrs) {
            if (key == "src" || key == "srcset" || key == "data" || key == "poster")
                out.push_back("<" + e.name + " " + key + "=\"" + value + "\">");
            if (key == "href" && e.name != "a")
                out.push_back("<" + e.name + " href=\"" + value + "\">");
            if (key == "href" && e.name == "a" && value.rfind('#', 0) == 0 &&
                !page.ById(value.substr(1)))
                out.push_back("link to a missing id " + value);
            if (key.rfind("on", 0) == 0) out.push_back("<" + e.name + " " + key + ">");
        }
    }
    const std::string style = Lower(page.styleText);
    if (style.find("url(") != std::string::npos) out.push_back("url( in the style sheet");
    if (style.find("@import") != std::string::npos) out.push_back("@import in the style sheet");
    return out;
}

std::string Join(const std::vector<std::string>& v) {
    std::string s;
    for (const std::string& x : v) s += x + "; ";
    return s;
}

const std::vector<std::string> kTopics = {"start",    "main", "lighting", "editor",      "profiles",
                                          "firmware", "tray", "cmdline",  "permissions", "trouble"};

class HelpPage : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        html_ = new std::string(ReadText(kAssets / "Help" / "index.html"));
        page_ = new Page(Scan(*html_));
    }
    static void TearDownTestSuite() {
        delete page_;
        delete html_;
    }
    static std::string* html_;
    static Page* page_;
};
std::string* HelpPage::html_ = nullptr;
Page* HelpPage::page_ = nullptr;

TEST_F(HelpPage, IsOneUtf8FileWhoseElementsAllClose) {
    ASSERT_TRUE(fs::is_regular_file(kAssets / "Help" / "index.html"));
    ASSERT_FALSE(html_->empty());
    EXPECT_TRUE(IsValidUtf8(*html_));
    EXPECT_EQ(Lower(html_->substr(0, 15)), "<!doctype html>");
    bool utf8Declared = false;
    for (const Element& e : page_->elements)
        if (e.name == "meta" && e.attrs.count("charset"))
            utf8Declared = Lower(e.attrs.at("charset")) == "utf-8";
    EXPECT_TRUE(utf8Declared);
    EXPECT_TRUE(page_->problems.empty()) << Join(page_->problems);

    std::set<std::string> ids;
    for (const Element& e : page_->elements)
        if (e.attrs.count("id")) {
            EXPECT_TRUE(ids.insert(e.attrs.at("id")).second)
                << "id used twice: " << e.attrs.at("id");
        }
}

TEST_F(HelpPage, LoadsNothingFromOutside) {
    EXPECT_EQ(Join(LoadProblems(*page_)), "");
    // Remote addresses only as links the user may follow.
    for (const Element& e : page_->elements)
        for (const auto& [key, value] : e.attrs)
            if (IsRemote(value)) {
                EXPECT_TRUE(e.name == "a" && key == "href") << e.name << " " << key;
            }
}

TEST_F(HelpPage, HasEachWindowsSectionInBothLanguages) {
    const Element* en = page_->ById("en");
    const Element* pt = page_->ById("pt");
    ASSERT_NE(en, nullptr);
    ASSERT_NE(pt, nullptr);
    EXPECT_EQ(en->name, "section");
    EXPECT_EQ(pt->name, "section");
    EXPECT_FALSE(page_->IsInside(*pt, *en));

    // The language switch comes first: its two links precede both parts.
    std::vector<std::string> links;
    for (const Element& e : page_->elements) {
        if (&e == en) break;
        if (e.name == "a" && e.attrs.count("href")) links.push_back(e.attrs.at("href"));
    }
    EXPECT_EQ(links, (std::vector<std::string>{"#en", "#pt"}));

    for (const auto& [lang, part] : {std::pair{"en", en}, std::pair{"pt", pt}})
        for (const std::string& topic : kTopics) {
            const std::string id = std::string(lang) + "-" + topic;
            const Element* s = page_->ById(id);
            ASSERT_NE(s, nullptr) << id;
            EXPECT_EQ(s->name, "section") << id;
            EXPECT_TRUE(page_->IsInside(*s, *part)) << id << " outside #" << lang;
            EXPECT_GT(s->text.size(), 200u) << id << " is nearly empty";
        }
}

// The page calls a control by the caption the window shows, so a caption changed in a language
// file must be changed here too.
TEST_F(HelpPage, NamesControlsWithTheLanguageFilesCaptions) {
    const std::vector<std::pair<std::string, std::string>> kCaptions = {
        {"TEXT", "MAIN_CAPTION"},
        {"TEXT", "MAIN_HELP_PROMPT"},
        {"TEXT", "MAIN_CLOSE_PROMPT"},
        {"TEXT", "MAIN_MINIMIZE_PROMPT"},
        {"TEXT", "PROFILE_1"},
        {"TEXT", "PROFILE_2"},
        {"TEXT", "PROFILE_3"},
        {"TEXT", "PROFILE_MACRO"},
        {"TEXT", "PROFILE_DEFAULT"},
        {"TEXT", "PROFILE_OK"},
        {"TEXT", "PROFILE_CANCLE"},
        {"TEXT", "PROFILE_APPLY"},
        {"TEXT", "MAIN_SWITCH_COLOR_TEXT"},
        {"TEXT", "MAIN_SWITCH_FUNCTION_TEXT"},
        {"TEXT", "MENU_11"},
        {"TEXT", "MENU_22"},
        {"TEXT", "MENU_33"},
        {"TEXT", "MENU_1"},
        {"TEXT", "MENU_2"},
        {"TEXT", "MENU_LANGUAGE"},
        {"TEXT", "MENU_FIRMWARE"},
        {"TEXT", "MENU_AUTOSTART"},
        {"TEXT", "KEY_SETTING_TISHI"},
        {"TEXT", "MACRO_EDIT_TISHI"},
        {"TEXT", "SINGLE_KEY"},
        {"TEXT", "MACRO_SETTING"},
        {"TEXT", "MULTI_MEDIA"},
        {"TEXT", "FUNCTION_KEY"},
        {"TEXT", "COMPOSITE_PROMPT_CLEAR"},
        {"TEXT", "COMPOSITE_PROMPT_OSK"},
        {"TEXT", "SINGLE_STATIC"},
        {"TEXT", "MEDIA_EDIT_TISHI"},
        {"TEXT", "FUNCTION_TISHI"},
        {"TEXT", "MACRO_NAME_SETTING"},
        {"TEXT", "IDS_MACRO_KB_KEY"},
        {"TEXT", "IDS_MACRO_MOU_KEY"},
        {"TEXT", "MACRO_KEYS_TISHI"},
        {"TEXT", "MACRO_ACTION_TISHI"},
        {"TEXT", "MACRO_DELAY_MS"},
        {"TEXT", "A_RECORD"},
        {"TEXT", "MACRO_ACTION_STOP_RECORD"},
        {"TEXT", "A_DELETE"},
        {"TEXT", "A_CLEAR"},
        {"TEXT", "A_TOP"},
        {"TEXT", "A_UP"},
        {"TEXT", "A_DOWN"},
        {"TEXT", "A_BOTTOM"},
        {"TEXT", "RECORD_DELAY"},
        {"TEXT", "MACRO_CYCLES"},
        {"TEXT", "MAIN_NO_DEVICE_PROMPT"},
        {"TEXT", "MAIN_PROMPT_INPORT"},
        {"TEXT", "MAIN_PROMPT_DEFAULT"},
        {"TEXT", "PROFILE_NEW"},
        {"TEXT", "IDS_KEYBOARD_MOU_LEFT"},
        {"TEXT", "IDS_KEYBOARD_ROLL_DOWN"},
        {"TEXT", "MEDIA_PALYER_1"},
        {"TEXT", "MEDIA_MAIL_18"},
        {"LIGHT", "Usb"},
        {"LIGHT", "Deng"},
        {"LIGHT", "Light"},
        {"LIGHT", "FX"},
        {"LIGHT", "Speed"},
        {"LIGHT", "Color"},
        {"LIGHT", "JColor"},
        {"LIGHT", "DC"},
        {"LIGHT", "Tool"},
    };
    for (const auto& [lang, file] :
         {std::pair{"en", "Lang0409.ini"}, std::pair{"pt", "Lang0416.ini"}}) {
        SCOPED_TRACE(file);
        const auto doc = IniDocument::Load(kAssets / file);
        ASSERT_TRUE(doc.has_value());
        const Element* part = page_->ById(lang);
        ASSERT_NE(part, nullptr);
        auto expectShown = [&](const std::string& section, const std::string& key) {
            const auto text = doc->Find(section, key);
            ASSERT_TRUE(text.has_value()) << section << "/" << key << " missing";
            ASSERT_FALSE(text->empty()) << section << "/" << key;
            EXPECT_NE(part->text.find(*text), std::string::npos)
                << "#" << lang << " never says \"" << *text << "\" (" << section << "/" << key
                << ")";
        };
        for (const auto& [section, key] : kCaptions) expectShown(section, key);
        for (int mode = 1; mode <= 20; ++mode) expectShown("MODE", std::to_string(mode));
    }
}

// The checks above must catch the faults they are there for.
TEST(HelpPageChecks, CatchBrokenMarkup) {
    struct Case {
        const char* html;
        bool wellFormed;
        bool selfContained;
    };
    const Case cases[] = {
        {"<section id=\"a\"><p>x</p></section><a href=\"#a\">a</a>", true, true},
        {"<section id=\"a\"><p>x</p>", false, true},
        {"<section><p>x</section></p>", false, true},
        {"<p>x</p></section>", false, true},
        {"<a href=\"https://example.org\">site</a><br><meta charset=utf-8>", true, true},
        {"<img src=\"https://example.org/x.png\">", true, false},
        {"<img src=\"local.png\">", true, false},
        {"<link rel=\"stylesheet\" href=\"https://example.org/s.css\">", true, false},
        {"<script>var x = '</p>';</script>", true, false},
        {"<style>body { background: url(x.png); }</style>", true, false},
        {"<p onclick=\"go()\">x</p>", true, false},
        {"<a href=\"#nowhere\">x</a>", true, false},
        {"<p title=\"unclosed>x</p>", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.html);
        const Page page = Scan(c.html);
        EXPECT_EQ(page.problems.empty(), c.wellFormed) << Join(page.problems);
        EXPECT_EQ(LoadProblems(page).empty(), c.selfContained) << Join(LoadProblems(page));
    }
}

}  // namespace
}  // namespace vorlin::testing
