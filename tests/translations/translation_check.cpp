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
    if (name == "Tr" || name == "TrNoop") return Mark::kCore;
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

struct Pair {
    std::string en;
    fs::path file;
    int line;
    bool used = false;
};

void ReadCatalogue(const fs::path& file, std::map<std::string, Pair>& pairs, Problems& p) {
    const std::vector<Token> t = Tokenize(ReadFile(file));
    for (size_t i = 0; i < t.size(); ++i) {
        if (!(t[i].kind == Token::kPunct && t[i].text == "{")) continue;
        // { "zh" "..." , "en" "..." }
        size_t k = i + 1;
        std::string zh, en;
        while (k < t.size() && t[k].kind == Token::kString)
            zh += t[k++].text;
        if (k >= t.size() || t[k].text != ",") {
            p.lines.push_back(Where(file, t[i].line) + "not a {\"中文\", \"English\"} pair");
            continue;
        }
        ++k;
        while (k < t.size() && t[k].kind == Token::kString)
            en += t[k++].text;
        const int line = t[i].line;
        i = k;
        if (pairs.count(zh)) {
            const Pair& first = pairs[zh];
            p.lines.push_back(Where(file, line) + Quoted(zh) + " is already translated at " +
                              first.file.string() + ":" + std::to_string(first.line));
            continue;
        }
        if (en.empty() || HasChinese(en))
            p.lines.push_back(Where(file, line) + "no English for " + Quoted(zh));
        else if (PrintfConversions(zh) != PrintfConversions(en))
            p.lines.push_back(Where(file, line) + "the English " + Quoted(en) +
                              " lost or changed a format argument of " + Quoted(zh));
        pairs[zh] = {en, file, line};
    }
}

void CheckTs(const fs::path& file, Problems& p) {
    const std::string s = ReadFile(file);
    static const std::regex message(R"(<message[^>]*>([\s\S]*?)</message>)");
    static const std::regex source(R"(<source>([\s\S]*?)</source>)");
    static const std::regex translation(
        R"(<translation([^>]*)>([\s\S]*?)</translation>|<translation([^>]*)/>)");
    static const std::regex numerus(R"(<numerusform>([\s\S]*?)</numerusform>)");
    for (auto it = std::sregex_iterator(s.begin(), s.end(), message); it != std::sregex_iterator();
         ++it) {
        const std::string body = (*it)[1];
        std::smatch m;
        if (!std::regex_search(body, m, source)) continue;
        const std::string zh = XmlText(m[1]);
        std::smatch tm;
        if (!std::regex_search(body, tm, translation)) {
            p.lines.push_back(file.string() + ": no English for " + Quoted(zh));
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
        if (forms.empty()) forms.push_back(XmlText(inner));
        const bool unfinished = attrs.find("unfinished") != std::string::npos;
        for (const std::string& en : forms) {
            if (unfinished || en.empty() || HasChinese(en)) {
                p.lines.push_back(file.string() + ": no English for " + Quoted(zh));
                break;
            }
            if (QtArguments(zh) != QtArguments(en)) {
                p.lines.push_back(file.string() + ": the English " + Quoted(en) +
                                  " lost or changed an argument of " + Quoted(zh));
                break;
            }
        }
    }
}

}  // namespace

std::vector<std::string> PrintfConversions(const std::string& f) {
    static const std::regex conversion(
        R"(%[-+ #0]*(\d+|\*)?(\.(\d+|\*))?(hh|h|ll|l|L|z|j|t)?([diouxXeEfFgGaAcsp%]))");
    std::vector<std::string> out;
    for (auto it = std::sregex_iterator(f.begin(), f.end(), conversion);
         it != std::sregex_iterator(); ++it)
        if ((*it)[5] != "%") out.push_back(it->str());
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
                           const std::vector<fs::path>& tsFiles) {
    Problems p;
    std::map<std::string, Pair> pairs;
    for (const fs::path& c : catalogues)
        ReadCatalogue(c, pairs, p);

    std::vector<fs::path> files;
    for (const fs::path& dir : sourceDirs)
        for (const auto& e : fs::recursive_directory_iterator(dir))
            if (e.is_regular_file() &&
                (e.path().extension() == ".cpp" || e.path().extension() == ".h"))
                files.push_back(e.path());
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        const std::vector<Token> t = Tokenize(ReadFile(file));
        for (size_t i = 0; i < t.size(); ++i) {
            if (t[i].kind != Token::kString) continue;
            const size_t first = i;
            std::string text = t[i].text;
            while (i + 1 < t.size() && t[i + 1].kind == Token::kString)
                text += t[++i].text;
            const Mark mark = MarkBefore(t, first);
            if (mark == Mark::kNone && HasChinese(text)) {
                p.lines.push_back(Where(file, t[first].line) + Quoted(text) +
                                  " is not marked for translation (Tr, tr or NoTr)");
            } else if (mark == Mark::kCore) {
                const auto it = pairs.find(text);
                if (it == pairs.end())
                    p.lines.push_back(Where(file, t[first].line) + "no English for " +
                                      Quoted(text) + " in the catalogues");
                else
                    it->second.used = true;
            }
        }
    }
    for (const auto& [zh, pair] : pairs)
        if (!pair.used)
            p.lines.push_back(Where(pair.file, pair.line) + Quoted(zh) +
                              " is translated but no Tr() or TrNoop() uses it");
    for (const fs::path& ts : tsFiles)
        CheckTs(ts, p);
    return p;
}

}  // namespace qx::check
