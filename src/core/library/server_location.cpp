#include "server_location.h"

#include <algorithm>
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

// Where the passwords of a location are: offset and length of each value.
using Spans = std::vector<std::pair<size_t, size_t>>;

Spans AddressSecrets(std::string_view address) {
    Spans spans;
    const size_t scheme = address.find("://") + 3;
    const size_t query = address.find('?', scheme);
    const std::string_view head = address.substr(0, query);
    // user:password@host: the user part ends at the last '@' before the path.
    const size_t path = head.find('/', scheme);
    const std::string_view authority =
        head.substr(scheme, path == head.npos ? head.npos : path - scheme);
    const size_t at = authority.rfind('@');
    const size_t colon = at == authority.npos ? authority.npos : authority.substr(0, at).find(':');
    if (colon != authority.npos) spans.emplace_back(scheme + colon + 1, at - colon - 1);
    for (size_t from = query; from != address.npos && from < address.size();) {
        const size_t end = std::min(address.find('&', from + 1), address.size());
        const std::string_view pair = address.substr(from + 1, end - from - 1);
        const size_t eq = pair.find('=');
        if (eq != pair.npos && IsSecretKey(pair.substr(0, eq)))
            spans.emplace_back(from + 1 + eq + 1, pair.size() - eq - 1);
        from = end;
    }
    return spans;
}

// key = value pairs separated by white space; a value may be quoted with '' and hold \' and \\.
Spans PairSecrets(std::string_view text) {
    Spans spans;
    size_t i = 0;
    const auto space = [&] {
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
            ++i;
    };
    while (i < text.size()) {
        space();
        const size_t keyStart = i;
        while (i < text.size() && text[i] != '=' &&
               !std::isspace(static_cast<unsigned char>(text[i])))
            ++i;
        const std::string_view key = text.substr(keyStart, i - keyStart);
        space();
        if (i >= text.size() || text[i] != '=') continue;
        ++i;
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
        if (IsSecretKey(key)) spans.emplace_back(valueStart, i - valueStart);
    }
    return spans;
}

Spans Secrets(std::string_view location) {
    if (IsServerLocation(location)) return AddressSecrets(location);
    if (location.find('=') != location.npos && location.find('/') != 0)
        return PairSecrets(location);
    return {};
}

}  // namespace

bool IsServerLocation(std::string_view location) {
    return StartsWithNoCase(location, "postgresql://") || StartsWithNoCase(location, "postgres://");
}

std::string RedactedLocation(std::string_view location) {
    std::string out;
    size_t done = 0;
    for (const auto& [at, length] : Secrets(location)) {
        out.append(location.substr(done, at - done));
        out.append("***");
        done = at + length;
    }
    out.append(location.substr(done));
    return out;
}

std::string WithoutPasswords(std::string text, std::string_view location) {
    std::vector<std::string> secrets;
    for (const auto& [at, length] : Secrets(location)) {
        std::string secret(location.substr(at, length));
        if (secret.size() >= 2 && secret.front() == '\'' && secret.back() == '\'')
            secret = secret.substr(1, secret.size() - 2);
        if (!secret.empty()) secrets.push_back(secret);
    }
    for (const std::string& secret : secrets) {
        for (size_t at = text.find(secret); at != std::string::npos; at = text.find(secret, at))
            text.replace(at, secret.size(), "***");
    }
    return text;
}

}  // namespace qx
