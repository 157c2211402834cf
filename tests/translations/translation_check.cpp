#include "translation_check.h"

#include "core/model/text_util.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

namespace qx::check {
namespace fs = std::filesystem;
namespace {

struct Token {
    enum Kind { kString, kName, kPunct } kind;
    std::string text;  // a literal's value (escapes resolved), a name, one punctuation char
    int line;
};

bool HasChinese(const std::string& s) {
    // U+2E80..U+9FFF and the full-width forms U+FF00..U+FFEF, in UTF-8.
    for (size_t i = 0; i + 2 < s.size(); ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        const auto c = static_cast<unsigned char>(s[i + 1]);
        if ((b == 0xE2 && c >= 0xBA) || (b >= 0xE3 && b <= 0xE9) || (b == 0xEF && c >= 0xBC))
            return true;
    }
    return false;
}

bool IsWordCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// C++ tokens, enough to find string literals and what stands before them: comments skipped,
// character literals dropped, escapes of string literals resolved, raw strings read as they are.
std::vector<Token> Tokenize(const std::string& s) {
    std::vector<Token> tokens;
    int line = 1;
    size_t i = 0;
    const size_t n = s.size();
    while (i < n) {
        const char c = s[i];
        if (c == '\n') {
            ++line;
            ++i;
        } else if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
        } else if (c == '/' && i + 1 < n && s[i + 1] == '/') {
            while (i < n && s[i] != '\n')
                ++i;
        } else if (c == '/' && i + 1 < n && s[i + 1] == '*') {
            i += 2;
            while (i + 1 < n && !(s[i] == '*' && s[i + 1] == '/'))
                line += s[i++] == '\n';
            i += 2;
        } else if (c == 'R' && i + 1 < n && s[i + 1] == '"') {
            const size_t open = s.find('(', i + 2);
            if (open == std::string::npos) break;
            const std::string close = ")" + s.substr(i + 2, open - i - 2) + "\"";
            const size_t end = s.find(close, open);
            if (end == std::string::npos) break;
            const std::string value = s.substr(open + 1, end - open - 1);
            tokens.push_back({Token::kString, value, line});
            line += static_cast<int>(std::count(value.begin(), value.end(), '\n'));
            i = end + close.size();
        } else if (c == '"' || c == '\'') {
            std::string value;
            const int start = line;
            ++i;
            while (i < n && s[i] != c) {
                if (s[i] == '\\' && i + 1 < n) {
                    const char e = s[++i];
                    ++i;
                    switch (e) {
                        case 'n':
                            value += '\n';
                            break;
                        case 't':
                            value += '\t';
                            break;
                        case 'r':
                            value += '\r';
                            break;
                        case '0':
                            value += '\0';
                            break;
                        case 'x': {
                            size_t used = 0;
                            value += static_cast<char>(std::stoul(s.substr(i, 2), &used, 16));
                            i += used;
                            break;
                        }
                        case 'u': {
                            AppendUtf8(value, static_cast<char32_t>(
                                                  std::stoul(s.substr(i, 4), nullptr, 16)));
                            i += 4;
                            break;
                        }
                        default:
                            value += e;
                    }
                } else {
                    line += s[i] == '\n';
                    value += s[i++];
                }
            }
            ++i;
            if (c == '"') tokens.push_back({Token::kString, value, start});
        } else if (std::isalnum(static_cast<unsigned char>(c)) || c == '_') {
            size_t j = i;
            while (j < n && (std::isalnum(static_cast<unsigned char>(s[j])) || s[j] == '_'))
                ++j;
            std::string name = s.substr(i, j - i);
            i = j;
            // u8"...", L"...": the prefix belongs to the literal.
            if (i < n && s[i] == '"' && (name == "u8" || name == "u" || name == "U" || name == "L"))
                continue;
            tokens.push_back({Token::kName, name, line});
        } else {
            tokens.push_back({Token::kPunct, std::string(1, c), line});
            ++i;
        }
    }
    return tokens;
}

enum class Mark { kNone, kCore, kKeep, kQt };

Mark MarkOf(const std::string& name) {
    if (name == "Tr" || name == "TrN" || name == "TrNoop") return Mark::kCore;
    if (name == "NoTr") return Mark::kKeep;
    if (name == "tr" || name == "QT_TR_NOOP" || name == "QT_TR_N_NOOP" || name == "qsTr")
        return Mark::kQt;
    return Mark::kNone;
}

bool IsTranslate(const std::string& name) {
    return name == "translate" || name == "QT_TRANSLATE_NOOP" || name == "QT_TRANSLATE_NOOP3" ||
           name == "QT_TRANSLATE_N_NOOP";
}

// How the string literal run starting at token `first` is marked.
Mark MarkBefore(const std::vector<Token>& t, size_t first) {
    auto punct = [&](size_t k, char c) { return t[k].kind == Token::kPunct && t[k].text[0] == c; };
    if (first >= 2 && punct(first - 1, '(') && t[first - 2].kind == Token::kName) {
        const Mark m = MarkOf(t[first - 2].text);
        if (m != Mark::kNone) return m;
    }
    // translate("context", "text") and tr("text", "disambiguation").
    if (first >= 1 && punct(first - 1, ',')) {
        size_t k = first - 1;
        while (k > 0 && t[k - 1].kind == Token::kString)
            --k;
        if (k < first - 1 && k >= 2 && punct(k - 1, '(') && t[k - 2].kind == Token::kName) {
            const std::string& name = t[k - 2].text;
            if (IsTranslate(name) || MarkOf(name) == Mark::kQt) return Mark::kQt;
        }
    }
    return Mark::kNone;
}

// qxlog-cli's help is shown in the chosen language like every other text: a literal that is a
// help format (FormatHelp("...")) or a command's summary in a command table
// ({"name", "summary", {NameHelp}, RunName}) must be a marked Chinese text.
bool IsUntranslatedHelp(const std::vector<Token>& t, size_t first, size_t last) {
    auto punct = [&](size_t k, char c) {
        return k < t.size() && t[k].kind == Token::kPunct && t[k].text[0] == c;
    };
    if (first >= 2 && punct(first - 1, '(') && t[first - 2].kind == Token::kName &&
        t[first - 2].text == "FormatHelp")
        return true;
    return first >= 2 && punct(first - 1, ',') &&
           (t[first - 2].kind == Token::kString || t[first - 2].kind == Token::kName) &&
           punct(last + 1, ',') && punct(last + 2, '{') && last + 3 < t.size() &&
           t[last + 3].kind == Token::kName && t[last + 3].text.ends_with("Help") &&
           punct(last + 4, '}');
}

std::string Where(const fs::path& file, int line) {
    return file.string() + ":" + std::to_string(line) + ": ";
}

std::string Quoted(const std::string& s) {
    std::string q = "\"";
    for (char c : s)
        q += c == '\n' ? std::string("\\n") : std::string(1, c);
    return q + "\"";
}

std::string XmlText(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '&') {
            out += s[i];
            continue;
        }
        const size_t semi = s.find(';', i);
        const std::string e = s.substr(i + 1, semi - i - 1);
        if (e == "lt")
            out += '<';
        else if (e == "gt")
            out += '>';
        else if (e == "amp")
            out += '&';
        else if (e == "quot")
            out += '"';
        else if (e == "apos")
            out += '\'';
        else if (!e.empty() && e[0] == '#')
            AppendUtf8(out, static_cast<char32_t>(e[1] == 'x' ? std::stoul(e.substr(2), nullptr, 16)
                                                              : std::stoul(e.substr(1))));
        i = semi;
    }
    return out;
}

// The key of a catalogue entry or of a Tr() call: the context, '\x04', the Chinese.
std::string KeyOf(const std::string& zh, const std::string& context) {
    return context.empty() ? zh : context + '\x04' + zh;
}

std::string Shown(const std::string& key) {
    const size_t sep = key.find('\x04');
    if (sep == std::string::npos) return Quoted(key);
    return Quoted(key.substr(sep + 1)) + " (context " + Quoted(key.substr(0, sep)) + ")";
}

struct Pair {
    std::string zh;
    std::vector<std::string> english;  // the English, then the plural one when there is one
    bool plural = false;
    fs::path file;
    int line;
    bool used = false;
    bool usedWithCount = false;
    bool usedWithoutCount = false;
};

// A line of a text file that holds `index`.
int LineAt(const std::string& text, size_t index) {
    return 1 + static_cast<int>(
                   std::count(text.begin(), text.begin() + std::min(index, text.size()), '\n'));
}

// One English text and what it translates, for the glossary.
struct English {
    std::string where;  // "file:line: "
    std::string zh;
    std::string en;
};

void ReadCatalogue(const fs::path& file, std::map<std::string, Pair>& pairs,
                   std::vector<English>& english, Problems& p) {
    const std::vector<Token> t = Tokenize(ReadFile(file));
    auto punct = [&](size_t k, const char* c) {
        return k < t.size() && t[k].kind == Token::kPunct && t[k].text == c;
    };
    for (size_t i = 0; i < t.size(); ++i) {
        if (!punct(i, "{")) continue;
        // { "zh", "en" [, "other" | nullptr [, "context"]] } or { .zh = "zh", .en = "en", ... }
        static const char* const kFields[] = {"zh", "en", "other", "context"};
        std::map<std::string, std::string> fields;
        const int line = t[i].line;
        size_t k = i + 1;
        bool ok = true;
        for (size_t n = 0; ok && !punct(k, "}"); ++n) {
            std::string name = n < std::size(kFields) ? kFields[n] : "";
            if (punct(k, ".") && k + 2 < t.size() && t[k + 1].kind == Token::kName &&
                punct(k + 2, "=")) {
                name = t[k + 1].text;
                k += 3;
            }
            std::string value;
            const bool null = k < t.size() && t[k].kind == Token::kName && t[k].text == "nullptr";
            if (null) ++k;
            const size_t first = k;
            while (k < t.size() && t[k].kind == Token::kString)
                value += t[k++].text;
            ok = !name.empty() && (null || k > first) && (punct(k, ",") || punct(k, "}"));
            if (!null) fields[name] = value;
            if (punct(k, ",")) ++k;
        }
        i = k;
        if (!ok || !fields.count("zh") || !fields.count("en")) {
            p.lines.push_back(Where(file, line) + "not a {\"中文\", \"English\"} pair");
            continue;
        }
        const std::string zh = fields["zh"];
        const std::string key = KeyOf(zh, fields["context"]);
        if (pairs.count(key)) {
            const Pair& first = pairs[key];
            p.lines.push_back(Where(file, line) + Shown(key) + " is already translated at " +
                              first.file.string() + ":" + std::to_string(first.line));
            continue;
        }
        Pair pair{zh, {fields["en"]}, fields.count("other") > 0, file, line};
        if (pair.plural) pair.english.push_back(fields["other"]);
        for (const std::string& en : pair.english) {
            if (en.empty() || HasChinese(en)) {
                p.lines.push_back(Where(file, line) + "no English for " + Shown(key));
                break;
            }
            if (PrintfConversions(zh) != PrintfConversions(en)) {
                p.lines.push_back(Where(file, line) + "the English " + Quoted(en) +
                                  " lost or changed a format argument of " + Quoted(zh));
                break;
            }
            english.push_back({Where(file, line), zh, en});
        }
        pairs[key] = std::move(pair);
    }
}

// A menu text without its mnemonic marks: "Down&load" is "Download".
std::string WithoutMnemonics(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size() && IsWordCharacter(text[i + 1])) continue;
        out += text[i];
    }
    return out;
}

void CheckTs(const fs::path& file, std::vector<English>& english, Problems& p) {
    const std::string s = ReadFile(file);
    static const std::regex message(R"(<message[^>]*>([\s\S]*?)</message>)");
    static const std::regex source(R"(<source>([\s\S]*?)</source>)");
    static const std::regex translation(
        R"(<translation([^>]*)>([\s\S]*?)</translation>|<translation([^>]*)/>)");
    static const std::regex numerus(R"(<numerusform>([\s\S]*?)</numerusform>)");
    for (auto it = std::sregex_iterator(s.begin(), s.end(), message); it != std::sregex_iterator();
         ++it) {
        const std::string body = (*it)[1];
        const std::string where = Where(file, LineAt(s, static_cast<size_t>(it->position(1))));
        std::smatch m;
        if (!std::regex_search(body, m, source)) continue;
        const std::string zh = XmlText(m[1]);
        std::smatch tm;
        if (!std::regex_search(body, tm, translation)) {
            p.lines.push_back(where + "no English for " + Quoted(zh));
            continue;
        }
        const std::string attrs = tm[1].matched ? tm[1].str() : tm[3].str();
        if (attrs.find("vanished") != std::string::npos ||
            attrs.find("obsolete") != std::string::npos)
            continue;
        std::vector<std::string> forms;
        const std::string inner = tm[2].matched ? tm[2].str() : std::string();
        for (auto n = std::sregex_iterator(inner.begin(), inner.end(), numerus);
             n != std::sregex_iterator(); ++n)
            forms.push_back(XmlText((*n)[1]));
        const bool numerus = !forms.empty();
        if (!numerus) forms.push_back(XmlText(inner));
        // A text with a count may leave the count out ("day" beside a number box).
        auto arguments = [numerus](const std::string& text) {
            std::vector<std::string> args = QtArguments(text);
            if (numerus) std::erase(args, "%n");
            return args;
        };
        const bool unfinished = attrs.find("unfinished") != std::string::npos;
        for (const std::string& en : forms) {
            if (unfinished || en.empty() || HasChinese(en)) {
                p.lines.push_back(where + "no English for " + Quoted(zh));
                break;
            }
            if (arguments(zh) != arguments(en)) {
                p.lines.push_back(where + "the English " + Quoted(en) +
                                  " lost or changed an argument of " + Quoted(zh));
                break;
            }
            english.push_back({where, zh, WithoutMnemonics(en)});
        }
    }
}

// ---- The glossary --------------------------------------------------------------------------

struct Term {
    std::string zh;
    std::vector<std::string> english;  // alternatives, lower case
    std::string shown;                 // the English column as written
    int line;
};

struct NotUsed {
    std::string word;
    std::string instead;
    int line;
};

struct Kept {
    std::string text;  // a Chinese text (of a term) or an English phrase (of a word not used)
    std::string term;
    int line;
    bool needed = false;
};

struct Glossary {
    fs::path file;
    std::vector<Term> terms;  // longest Chinese first
    std::vector<NotUsed> notUsed;
    std::vector<Kept> kept;
};

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string TrimCell(std::string cell) {
    const size_t a = cell.find_first_not_of(' ');
    const size_t b = cell.find_last_not_of(' ');
    cell = a == std::string::npos ? "" : cell.substr(a, b - a + 1);
    if (cell.size() >= 2 && cell.front() == '`' && cell.back() == '`')
        cell = cell.substr(1, cell.size() - 2);
    std::string out;  // "\n" stands for a line end, as in the sources
    for (size_t i = 0; i < cell.size(); ++i) {
        if (cell[i] == '\\' && i + 1 < cell.size() && cell[i + 1] == 'n') {
            out += '\n';
            ++i;
        } else {
            out += cell[i];
        }
    }
    return out;
}

std::vector<std::string> Split(const std::string& s, const std::string& by) {
    std::vector<std::string> parts;
    for (size_t start = 0;;) {
        const size_t at = s.find(by, start);
        parts.push_back(s.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) return parts;
        start = at + by.size();
    }
}

// The tables of glossary.md under their headings "## Terms", "## Not used", "## Kept on purpose".
Glossary ReadGlossary(const fs::path& file, Problems& p) {
    Glossary g{file, {}, {}, {}};
    std::istringstream in(ReadFile(file));
    std::string line, section;
    for (int n = 1; std::getline(in, line); ++n) {
        if (line.starts_with("## ")) {
            section = line.substr(3);
            continue;
        }
        if (!line.starts_with("|") || line.starts_with("|-") || line.starts_with("| -")) continue;
        std::vector<std::string> cells = Split(line.substr(1), " | ");
        if (!cells.empty() && cells.back().ends_with("|")) cells.back().pop_back();
        for (std::string& c : cells)
            c = TrimCell(c);
        if (cells.size() < 2) continue;
        if (cells[0] == "中文" || cells[0] == "English not used" || cells[0] == "Text") continue;
        if (section == "Terms") {
            Term t{cells[0], {}, cells[1], n};
            for (const std::string& alt : Split(cells[1], " / "))
                t.english.push_back(Lower(alt));
            if (!HasChinese(t.zh) || cells[1].empty())
                p.lines.push_back(Where(file, n) + "a term is \"中文 | English | where used\"");
            else
                g.terms.push_back(t);
        } else if (section == "Not used") {
            g.notUsed.push_back({cells[0], cells[1], n});
        } else if (section == "Kept on purpose") {
            g.kept.push_back({cells[0], cells[1], n});
        }
    }
    std::stable_sort(g.terms.begin(), g.terms.end(),
                     [](const Term& a, const Term& b) { return a.zh.size() > b.zh.size(); });
    return g;
}

std::string GlossaryAt(const Glossary& g, int line) {
    return " (" + g.file.filename().string() + ":" + std::to_string(line) + ")";
}

// Where `word` stands in `text` as a whole word: in any letter case, or as written when the
// word is in capitals (PPM, not ppm); npos when it does not.
size_t FindWord(const std::string& text, const std::string& word, size_t from = 0) {
    const bool capitals = std::none_of(word.begin(), word.end(), [](char c) {
        return std::islower(static_cast<unsigned char>(c));
    });
    const std::string hay = capitals ? text : Lower(text);
    const std::string needle = capitals ? word : Lower(word);
    for (size_t at = hay.find(needle, from); at != std::string::npos;
         at = hay.find(needle, at + 1)) {
        const bool before =
            at > 0 && IsWordCharacter(hay[at - 1]) && IsWordCharacter(needle.front());
        const size_t end = at + needle.size();
        const bool after =
            end < hay.size() && IsWordCharacter(hay[end]) && IsWordCharacter(needle.back());
        if (!before && !after) return at;
    }
    return std::string::npos;
}

// The English text with the kept phrases blanked out.
std::string WithoutKept(std::string text, Glossary& g) {
    for (Kept& k : g.kept) {
        if (HasChinese(k.text)) continue;
        for (size_t at = FindWord(text, k.text); at != std::string::npos;
             at = FindWord(text, k.text, at)) {
            text.replace(at, k.text.size(), std::string(k.text.size(), ' '));
            k.needed = true;
        }
    }
    return text;
}

// A long line shown around `at`: some 40 bytes either side, cut between characters.
std::string Excerpt(const std::string& text, size_t at, size_t length) {
    if (text.size() <= 100) return Quoted(text);
    auto boundary = [&](size_t i) {
        while (i > 0 && i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
            --i;
        return i;
    };
    const size_t from = boundary(at > 40 ? at - 40 : 0);
    const size_t to = boundary(std::min(text.size(), at + length + 40));
    return Quoted((from > 0 ? "..." : "") + text.substr(from, to - from) +
                  (to < text.size() ? "..." : ""));
}

void CheckWordsNotUsed(const std::string& where, const std::string& text, Glossary& g,
                       Problems& p) {
    const std::string kept = WithoutKept(text, g);
    for (const NotUsed& n : g.notUsed) {
        const size_t at = FindWord(kept, n.word);
        if (at == std::string::npos) continue;
        p.lines.push_back(where + Excerpt(text, at, n.word.size()) + " says " + Quoted(n.word) +
                          ", which the glossary words as " + Quoted(n.instead) +
                          GlossaryAt(g, n.line));
    }
}

void CheckTerms(const English& e, Glossary& g, Problems& p) {
    std::vector<bool> taken(e.zh.size(), false);
    const std::string en = Lower(e.en);
    for (const Term& t : g.terms) {
        bool holds = false;
        for (size_t at = e.zh.find(t.zh); at != std::string::npos; at = e.zh.find(t.zh, at + 1)) {
            if (std::find(taken.begin() + static_cast<std::ptrdiff_t>(at),
                          taken.begin() + static_cast<std::ptrdiff_t>(at + t.zh.size()),
                          true) != taken.begin() + static_cast<std::ptrdiff_t>(at + t.zh.size()))
                continue;  // part of a longer term
            std::fill_n(taken.begin() + static_cast<std::ptrdiff_t>(at), t.zh.size(), true);
            holds = true;
        }
        if (!holds) continue;
        if (std::any_of(t.english.begin(), t.english.end(),
                        [&](const std::string& alt) { return en.find(alt) != std::string::npos; }))
            continue;
        const auto kept = std::find_if(g.kept.begin(), g.kept.end(), [&](const Kept& k) {
            return k.text == e.zh && k.term == t.zh;
        });
        if (kept != g.kept.end()) {
            kept->needed = true;
            continue;
        }
        p.lines.push_back(e.where + "the English " + Quoted(e.en) + " of " + Quoted(e.zh) +
                          " does not say " + Quoted(t.shown) + " for " + t.zh +
                          GlossaryAt(g, t.line));
    }
}

}  // namespace

std::vector<std::string> PrintfConversions(const std::string& f) {
    static const std::regex conversion(
        R"(%([1-9][0-9]*\$)?([-+ #0]*(\d+|\*)?(\.(\d+|\*))?(hh|h|ll|l|L|z|j|t)?([diouxXeEfFgGaAcsp%])))");
    std::vector<std::pair<int, std::string>> numbered;
    std::vector<std::string> out;
    for (auto it = std::sregex_iterator(f.begin(), f.end(), conversion);
         it != std::sregex_iterator(); ++it) {
        if ((*it)[7] == "%") continue;
        if ((*it)[1].matched)
            numbered.emplace_back(std::stoi((*it)[1]), "%" + (*it)[2].str());
        else
            out.push_back(it->str());
    }
    if (numbered.empty()) return out;
    // printf takes numbered and unnumbered conversions in one format only by chance.
    if (!out.empty()) return {"(numbered and unnumbered conversions mixed)"};
    std::sort(numbered.begin(), numbered.end());
    for (size_t k = 0; k < numbered.size(); ++k) {
        if (numbered[k].first != static_cast<int>(k) + 1) return {"(an argument left out)"};
        out.push_back(numbered[k].second);
    }
    return out;
}

std::vector<std::string> QtArguments(const std::string& text) {
    static const std::regex arg(R"(%(L?[1-9][0-9]?|n))");
    std::vector<std::string> out;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), arg);
         it != std::sregex_iterator(); ++it)
        out.push_back(it->str());
    std::sort(out.begin(), out.end());
    return out;
}

Problems CheckTranslations(const std::vector<fs::path>& sourceDirs,
                           const std::vector<fs::path>& catalogues,
                           const std::vector<fs::path>& tsFiles, const fs::path& glossary,
                           const std::vector<fs::path>& documents) {
    Problems p;
    std::map<std::string, Pair> pairs;
    std::vector<English> english;
    for (const fs::path& c : catalogues)
        ReadCatalogue(c, pairs, english, p);

    std::vector<fs::path> files;
    for (const fs::path& dir : sourceDirs)
        for (const auto& e : fs::recursive_directory_iterator(dir))
            if (e.is_regular_file() &&
                (e.path().extension() == ".cpp" || e.path().extension() == ".h"))
                files.push_back(e.path());
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        const std::vector<Token> t = Tokenize(ReadFile(file));
        auto run = [&t](size_t& i) {
            std::string text = t[i].text;
            while (i + 1 < t.size() && t[i + 1].kind == Token::kString)
                text += t[++i].text;
            return text;
        };
        for (size_t i = 0; i < t.size(); ++i) {
            if (t[i].kind != Token::kString) continue;
            const size_t first = i;
            const std::string text = run(i);
            const Mark mark = MarkBefore(t, first);
            if (mark == Mark::kNone && !HasChinese(text) && IsUntranslatedHelp(t, first, i)) {
                p.lines.push_back(Where(file, t[first].line) + Excerpt(text, 0, 0) +
                                  " is qxlog-cli help in English only: write it in Chinese in "
                                  "Tr() or TrNoop(), its English in the catalogue");
                continue;
            }
            if (mark == Mark::kNone && HasChinese(text)) {
                p.lines.push_back(Where(file, t[first].line) + Quoted(text) +
                                  " is not marked for translation (Tr, tr or NoTr)");
                continue;
            }
            if (mark != Mark::kCore) continue;
            const std::string& name = t[first - 2].text;
            // Tr("中文", "context")
            std::string context;
            if (name == "Tr" && i + 2 < t.size() && t[i + 1].kind == Token::kPunct &&
                t[i + 1].text == "," && t[i + 2].kind == Token::kString) {
                i += 2;
                context = run(i);
            }
            const auto it = pairs.find(KeyOf(text, context));
            if (it == pairs.end()) {
                p.lines.push_back(Where(file, t[first].line) + "no English for " +
                                  Shown(KeyOf(text, context)) + " in the catalogues");
                continue;
            }
            Pair& pair = it->second;
            pair.used = true;
            (name == "TrN" ? pair.usedWithCount : pair.usedWithoutCount) = true;
            if (name == "TrN" && !pair.plural)
                p.lines.push_back(Where(file, t[first].line) + Quoted(text) +
                                  " is shown with a count, but its English has no plural: "
                                  "{\"中文\", \"one\", \"other\"}");
        }
    }
    for (const auto& [key, pair] : pairs) {
        if (!pair.used)
            p.lines.push_back(Where(pair.file, pair.line) + Shown(key) +
                              " is translated but no Tr() or TrNoop() uses it");
        else if (pair.plural && pair.usedWithoutCount)
            p.lines.push_back(Where(pair.file, pair.line) + Shown(key) +
                              " has a plural English but is shown without a count; use TrN()");
    }
    for (const fs::path& ts : tsFiles)
        CheckTs(ts, english, p);

    if (glossary.empty()) return p;
    Glossary g = ReadGlossary(glossary, p);
    for (const English& e : english) {
        CheckTerms(e, g, p);
        CheckWordsNotUsed(e.where, e.en, g, p);
    }
    for (const fs::path& doc : documents) {
        std::istringstream in(ReadFile(doc));
        std::string line;
        for (int n = 1; std::getline(in, line); ++n)
            CheckWordsNotUsed(Where(doc, n), line, g, p);
    }
    for (const Kept& k : g.kept)
        if (!k.needed)
            p.lines.push_back(Where(g.file, k.line) + Quoted(k.text) +
                              " is kept on purpose, but nothing needs it any more");
    return p;
}

}  // namespace qx::check
