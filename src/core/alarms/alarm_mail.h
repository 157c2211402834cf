// Where and to whom alarm messages go by e-mail: the [mail] section of an alarm rules file.
// The rules parser fills it; the mail sender takes it as it is. Never holds a password: the
// user name and password come from ~/.netrc or from credentials_file, which only its owner
// may read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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

}  // namespace qx
