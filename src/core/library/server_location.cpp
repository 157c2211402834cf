#include "server_location.h"

#include <cctype>
#include <vector>

namespace qx {
namespace {

bool StartsWithNoCase(std::string_view text, std::string_view head) {
    if (text.size() < head.size()) return false;
    for (size_t i = 0; i < head.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != head[i]) return false;
    }
    return true;
}

bool IsSecretKey(std::string_view key) {
    std::string lower;
    for (char c : key)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower == "password" || lower == "sslpassword";
}

constexpr std::string_view kHidden = "***";

std::string RedactedAddress(std::string_view address) {
    const size_t scheme = address.find("://") + 3;
    const size_t query = address.find('?', scheme);
    const std::string_view head = address.substr(0, query);
    std::string out;
    // user:password@host: the user part ends at the last '@' before the path.
    const size_t path = head.find('/', scheme);
    const std::string_view authority =
        head.substr(scheme, path == head.npos ? head.npos : path - scheme);
    const size_t at = authority.rfind('@');
    const size_t colon = at == authority.npos ? authority.npos : authority.substr(0, at).find(':');
    if (colon != authority.npos) {
        out.append(address.substr(0, scheme + colon + 1));
        out.append(kHidden);
        out.append(address.substr(scheme + at, head.size() - scheme - at));
    } else {
        out.append(head);
    }
    if (query == address.npos) return out;
    out += '?';
    std::string_view rest = address.substr(query + 1);
    bool first = true;
    while (true) {
        const size_t amp = rest.find('&');
        const std::string_view pair = rest.substr(0, amp);
        if (!first) out += '&';
        first = false;
        const size_t eq = pair.find('=');
        if (eq != pair.npos && IsSecretKey(pair.substr(0, eq))) {
            out.append(pair.substr(0, eq + 1));
            out.append(kHidden);
        } else {
            out.append(pair);
        }
        if (amp == rest.npos) break;
        rest.remove_prefix(amp + 1);
    }
    return out;
}

// key = value pairs separated by white space; a value may be quoted with '' and hold \' and \\.
std::string RedactedPairs(std::string_view text) {
    std::string out;
    size_t i = 0;
    const auto space = [&] {
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
            out += text[i++];
    };
    while (i < text.size()) {
        space();
        const size_t keyStart = i;
        while (i < text.size() && text[i] != '=' &&
               !std::isspace(static_cast<unsigned char>(text[i])))
            ++i;
        const std::string_view key = text.substr(keyStart, i - keyStart);
        out.append(key);
        space();
        if (i >= text.size() || text[i] != '=') continue;
        out += text[i++];
        space();
        const size_t valueStart = i;
        if (i < text.size() && text[i] == '\'') {
            for (++i; i < text.size() && text[i] != '\''; ++i) {
                if (text[i] == '\\' && i + 1 < text.size()) ++i;
            }
            if (i < text.size()) ++i;
        } else {
            while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i]))) {
                if (text[i] == '\\' && i + 1 < text.size()) ++i;
                ++i;
            }
        }
        if (IsSecretKey(key))
            out.append(kHidden);
        else
            out.append(text.substr(valueStart, i - valueStart));
    }
    return out;
}

}  // namespace

bool IsServerLocation(std::string_view location) {
    return StartsWithNoCase(location, "postgresql://") || StartsWithNoCase(location, "postgres://");
}

std::string RedactedLocation(std::string_view location) {
    if (IsServerLocation(location)) return RedactedAddress(location);
    if (location.find('=') != location.npos && location.find('/') != 0)
        return RedactedPairs(location);
    return std::string(location);
}

}  // namespace qx
