// Alarm messages by e-mail: where and to whom they go (the [mail] section of an alarm rules
// file), what one alarm's change says, and sending one message through SMTP with libcurl.
// Never holds a password: the user name and password come from ~/.netrc or from
// credentials_file, which only its owner may read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "alarm_event.h"

namespace qx {

struct MailSettings {
    std::string server;  // smtp://host[:port] (STARTTLS when offered) or smtps://host[:port]
    std::string from;    // the sender's address
    std::vector<std::string> to;  // every recipient gets every alarm
    int64_t repeat = 0;           // seconds; 0: once per change, else again until acknowledged
    int64_t escalate_after = 0;   // seconds an alarm stays unacknowledged before escalate_to
    std::vector<std::string> escalate_to;
    std::string credentials_file;  // netrc-style file; empty: ~/.netrc

    bool Enabled() const { return !server.empty() && !to.empty(); }
};

// One message: a subject line and a plain-text body that a text-message gateway can forward.
struct MailMessage {
    std::string subject;
    std::string body;
};

// What an alarm's change says, in the current language: the instrument and its measurement
// name, the channel, the level, value, limit, time and the alarm's id. `unit` follows values.
// A repeat says so in its subject.
MailMessage AlarmMailMessage(const AlarmEvent& event, const std::string& unit = {},
                             bool repeat = false);

// The message as SMTP carries it: Date, From, To, Subject (a UTF-8 encoded word), Message-ID
// and MIME headers, then the body in base64; CRLF line ends.
std::string MailWireText(const MailSettings& settings, const std::vector<std::string>& recipients,
                         const MailMessage& message, int64_t now);

// Why the credentials file cannot be used (missing, not a file, readable or writable by others);
// empty when it can.
std::string CredentialsFileProblem(const std::string& path);

struct MailResult {
    bool sent = false;
    std::string reason;  // why not, in the current language, naming the server
};

// Sends one message to all `recipients` in one SMTP transaction, within timeoutSeconds.
MailResult SendMail(const MailSettings& settings, const std::vector<std::string>& recipients,
                    const MailMessage& message, int timeoutSeconds = 30);

}  // namespace qx
