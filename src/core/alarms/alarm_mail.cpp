#include "alarm_mail.h"

#include "alarm_journal.h"

#include <curl/curl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <random>

#include "core/model/instrument_catalogue.h"
#include "core/model/language.h"
#include "core/model/local_time.h"
#include "core/model/text_util.h"
#include "core/records/derived_series.h"

namespace qx {
namespace {

const char* LevelText(AlarmLevel level) {
    return level == AlarmLevel::kWarning ? Tr("预警") : Tr("报警");
}

// What happened, as the subject's first words.
std::string ChangeText(const AlarmEvent& e) {
    switch (e.change) {
        case AlarmChange::kEnded:
            return Tr("已恢复");
        case AlarmChange::kAcknowledged:
            return Tr("已确认");
        case AlarmChange::kRaised:
        case AlarmChange::kLevel:
            break;
    }
    return AlarmKindText(e.kind, e.level);
}

std::string InstrumentText(const AlarmEvent& e) {
    std::string text = ModelName(e.instrument.model) + ":" + e.instrument.number;
    if (!e.name.empty()) text += " " + e.name;
    return text;
}

// The channel as the user reads it: "温度" for temp; the id itself for an id the model lacks.
std::string ChannelText(const AlarmEvent& e) {
    if (IsKnownModel(e.instrument.model)) {
        const RecordUnits units = RecordUnitsOf(0, e.instrument.model);
        for (size_t s = 0; s < units.ids.size(); ++s)
            if (e.channel == units.ids[s]) return units.names[s];
    }
    return e.channel;
}

std::string ValueText(double value, const std::string& unit) {
    std::string text = FormatFixed(value, 2);
    // 8.50 -> 8.5, 8.00 -> 8: the value as the instrument shows it.
    while (!text.empty() && text.back() == '0')
        text.pop_back();
    if (!text.empty() && text.back() == '.') text.pop_back();
    if (text == "-0") text = "0";
    return unit.empty() ? text : text + " " + unit;
}

std::string TimeText(int64_t t) {
    return FormatLocalTime(t, "%Y-%m-%d %H:%M:%S");
}

void Line(std::string& body, const char* label, const std::string& value) {
    body += label;
    body += value;
    body += '\n';
}

std::string Base64(std::string_view data) {
    static constexpr char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((data.size() + 2) / 3 * 4);
    for (size_t i = 0; i < data.size(); i += 3) {
        uint32_t n = static_cast<uint8_t>(data[i]) << 16;
        if (i + 1 < data.size()) n |= static_cast<uint8_t>(data[i + 1]) << 8;
        if (i + 2 < data.size()) n |= static_cast<uint8_t>(data[i + 2]);
        out += kDigits[(n >> 18) & 63];
        out += kDigits[(n >> 12) & 63];
        out += i + 1 < data.size() ? kDigits[(n >> 6) & 63] : '=';
        out += i + 2 < data.size() ? kDigits[n & 63] : '=';
    }
    return out;
}

// A header value free of line breaks, so that no text of a user (a measurement name, a
// comment) can add a header of its own.
std::string HeaderSafe(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    return text;
}

std::string Join(const std::vector<std::string>& items, const char* separator) {
    std::string text;
    for (const std::string& item : items) {
        if (!text.empty()) text += separator;
        text += item;
    }
    return text;
}

struct Upload {
    std::string_view rest;
};

size_t ReadUpload(char* buffer, size_t size, size_t count, void* user) {
    auto* upload = static_cast<Upload*>(user);
    const size_t n = std::min(size * count, upload->rest.size());
    std::memcpy(buffer, upload->rest.data(), n);
    upload->rest.remove_prefix(n);
    return n;
}

void InitCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

}  // namespace

MailMessage AlarmMailMessage(const AlarmEvent& e, const std::string& unit, bool repeat) {
    MailMessage m;
    const std::string instrument = InstrumentText(e);
    m.subject = ChangeText(e) + ": " + instrument;
    if (!e.channel.empty()) m.subject += " " + ChannelText(e);
    if (e.kind == AlarmKind::kThreshold && e.change != AlarmChange::kAcknowledged)
        m.subject += " " + ValueText(e.value, unit);
    if (repeat) m.subject = std::string(Tr("(重复) ")) + m.subject;
    m.subject = HeaderSafe(m.subject);

    std::string& b = m.body;
    Line(b, Tr("仪器: "), instrument);
    if (!e.channel.empty()) Line(b, Tr("通道: "), ChannelText(e));
    if (e.kind == AlarmKind::kThreshold) {
        Line(b, Tr("级别: "), LevelText(e.level));
        Line(b, Tr("数值: "), ValueText(e.value, unit));
        const char* side = e.side == AlarmSide::kHigh  ? Tr(" (上限)")
                           : e.side == AlarmSide::kLow ? Tr(" (下限)")
                                                       : "";
        Line(b, Tr("限值: "), ValueText(e.limit, unit) + side);
        if (e.change != AlarmChange::kRaised) Line(b, Tr("极值: "), ValueText(e.extreme, unit));
    }
    Line(b, Tr("状态: "), ChangeText(e));
    Line(b, Tr("时间: "), TimeText(e.time));
    if (e.start != 0 && e.start != e.time) Line(b, Tr("开始: "), TimeText(e.start));
    if (e.change == AlarmChange::kAcknowledged) {
        Line(b, Tr("确认人: "), e.user);
        Line(b, Tr("说明: "), e.comment);
    }
    if (!e.id.empty()) Line(b, Tr("报警标识: "), e.id);
    return m;
}

std::string MailWireText(const MailSettings& settings, const std::vector<std::string>& recipients,
                         const MailMessage& message, int64_t now) {
    static std::mt19937_64 random{std::random_device{}()};
    static std::mutex randomMutex;
    uint64_t unique;
    {
        std::lock_guard lock(randomMutex);
        unique = random();
    }
    char date[64];
    const time_t t = static_cast<time_t>(now);
    struct tm utc {};
    gmtime_r(&t, &utc);
    strftime(date, sizeof date, "%a, %d %b %Y %H:%M:%S +0000", &utc);
    const std::string from = HeaderSafe(settings.from);
    const auto at = from.find('@');
    const std::string domain = at == std::string::npos ? "localhost" : from.substr(at + 1);

    std::string text;
    text += "Date: " + std::string(date) + "\r\n";
    text += "From: " + from + "\r\n";
    text += "To: " + HeaderSafe(Join(recipients, ", ")) + "\r\n";
    text += "Subject: =?UTF-8?B?" + Base64(message.subject) + "?=\r\n";
    text += "Message-ID: <" + std::to_string(now) + "." + std::to_string(unique) + "@" + domain +
            ">\r\n";
    text += "MIME-Version: 1.0\r\n";
    text += "Content-Type: text/plain; charset=UTF-8\r\n";
    text += "Content-Transfer-Encoding: base64\r\n";
    text += "\r\n";
    std::string body;
    for (char c : message.body) {
        if (c == '\n') body += '\r';
        body += c;
    }
    const std::string encoded = Base64(body);
    for (size_t i = 0; i < encoded.size(); i += 76)
        text += encoded.substr(i, 76) + "\r\n";
    return text;
}

std::string CredentialsFileProblem(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        return StrFormat(Tr("邮件登录文件 %s 不存在。"), path.c_str());
    if (!S_ISREG(st.st_mode)) return StrFormat(Tr("邮件登录文件 %s 不是普通文件。"), path.c_str());
    if (st.st_mode & (S_IRWXG | S_IRWXO))
        return StrFormat(Tr("邮件登录文件 %s 别人也能读写,只能由它的所有者读写 (chmod 600)。"),
                         path.c_str());
    return {};
}

MailResult SendMail(const MailSettings& settings, const std::vector<std::string>& recipients,
                    const MailMessage& message, int timeoutSeconds) {
    MailResult result;
    if (recipients.empty()) {
        result.reason = Tr("没有收件人。");
        return result;
    }
    std::string credentials = settings.credentials_file;
    if (credentials.empty()) {
        // ~/.netrc is optional; when it is there, it holds a password and must be private.
        if (const char* home = std::getenv("HOME"); home && *home) {
            const std::string netrc = std::string(home) + "/.netrc";
            if (access(netrc.c_str(), F_OK) == 0) credentials = netrc;
        }
    }
    if (!credentials.empty()) {
        if (std::string problem = CredentialsFileProblem(credentials); !problem.empty()) {
            result.reason = problem;
            return result;
        }
    }

    InitCurlOnce();
    CURL* curl = curl_easy_init();
    if (!curl) {
        result.reason = Tr("不能发送邮件: libcurl 不能启动。");
        return result;
    }
    const std::string wire = MailWireText(settings, recipients, message, std::time(nullptr));
    Upload upload{wire};
    curl_slist* rcpt = nullptr;
    for (const std::string& r : recipients)
        rcpt = curl_slist_append(rcpt, r.c_str());
    char error[CURL_ERROR_SIZE] = "";
    curl_easy_setopt(curl, CURLOPT_URL, settings.server.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
    curl_easy_setopt(curl, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_TRY));
    curl_easy_setopt(curl, CURLOPT_MAIL_FROM, settings.from.c_str());
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, rcpt);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, ReadUpload);
    curl_easy_setopt(curl, CURLOPT_READDATA, &upload);
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, static_cast<long>(std::min(timeoutSeconds, 10)));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, static_cast<long>(timeoutSeconds));
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
    if (!credentials.empty()) {
        curl_easy_setopt(curl, CURLOPT_NETRC, static_cast<long>(CURL_NETRC_OPTIONAL));
        curl_easy_setopt(curl, CURLOPT_NETRC_FILE, credentials.c_str());
    }
    const CURLcode code = curl_easy_perform(curl);
    long reply = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &reply);
    curl_slist_free_all(rcpt);
    curl_easy_cleanup(curl);
    if (code == CURLE_OK) {
        result.sent = true;
        return result;
    }
    std::string why = *error ? error : curl_easy_strerror(code);
    if (reply != 0) why += " (" + std::to_string(reply) + ")";
    result.reason =
        StrFormat(Tr("邮件服务器 %s 没有收下报警邮件: %s"), settings.server.c_str(), why.c_str());
    return result;
}

}  // namespace qx
