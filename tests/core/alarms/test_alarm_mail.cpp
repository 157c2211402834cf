#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "core/alarms/alarm_notifier.h"
#include "core/model/language.h"

namespace qx {
namespace {

namespace fs = std::filesystem;

AlarmEvent Raised(const std::string& id, int64_t t) {
    AlarmEvent e;
    e.id = id;
    e.instrument = {1, "A0200001"};
    e.name = "冷库1";
    e.channel = "temp";
    e.side = AlarmSide::kHigh;
    e.value = 8.6;
    e.limit = 8;
    e.start = e.time = t;
    return e;
}

AlarmEvent Changed(AlarmEvent e, AlarmChange change, int64_t t) {
    e.change = change;
    e.time = t;
    return e;
}

MailSettings Site() {
    MailSettings s;
    s.server = "smtp://127.0.0.1:1";
    s.from = "qxlog@example.org";
    s.to = {"a@example.org", "b@example.org", "c@example.org"};
    s.repeat = 900;
    s.escalate_after = 1800;
    s.escalate_to = {"head@example.org"};
    return s;
}

TEST(AlarmMailPlan, RepeatsUntilAcknowledgedAndEscalatesOnce) {
    AlarmMailPlan plan(Site());
    auto jobs = plan.OnEvent(Raised("x1", 1000));
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].recipients, Site().to);
    EXPECT_TRUE(plan.Due(1000 + 899).empty());
    jobs = plan.Due(1000 + 900);  // a repeat exactly at its time
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].recipients.size(), 3u);
    EXPECT_TRUE(plan.Due(1000 + 1799).empty());
    jobs = plan.Due(1000 + 1800);  // unacknowledged for escalate-after: the second list
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].recipients, std::vector<std::string>{"head@example.org"});
    jobs = plan.Due(1000 + 2700);  // from then on both lists hear of it
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].recipients.size(), 4u);

    jobs = plan.OnEvent(Changed(Raised("x1", 1000), AlarmChange::kAcknowledged, 4000));
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].recipients.size(), 4u);
    EXPECT_TRUE(plan.Due(100000).empty());
    plan.OnEvent(Changed(Raised("x1", 1000), AlarmChange::kEnded, 5000));
    EXPECT_EQ(plan.Followed(), 0u);
}

TEST(AlarmMailPlan, AnAlarmThatEndedUnacknowledgedIsKeptButNotRepeated) {
    AlarmMailPlan plan(Site());
    plan.OnEvent(Raised("x2", 0));
    EXPECT_EQ(plan.OnEvent(Changed(Raised("x2", 0), AlarmChange::kEnded, 60)).size(), 1u);
    EXPECT_TRUE(plan.Due(100000).empty());
    EXPECT_EQ(plan.Followed(), 1u);
    plan.OnEvent(Changed(Raised("x2", 0), AlarmChange::kAcknowledged, 70));
    EXPECT_EQ(plan.Followed(), 0u);
}

TEST(AlarmMailMessage, NamesEverythingInBothLanguagesAndAddsNoHeader) {
    AlarmEvent e = Raised("QX450-A0200001-1", 1765420945);
    SetLanguage(Language::kChinese);
    MailMessage zh = AlarmMailMessage(e, "℃");
    EXPECT_NE(zh.subject.find("报警"), std::string::npos) << zh.subject;
    EXPECT_NE(zh.body.find("温度"), std::string::npos) << zh.body;
    EXPECT_NE(zh.body.find("8.6 ℃"), std::string::npos) << zh.body;
    SetLanguage(Language::kEnglish);
    MailMessage en = AlarmMailMessage(e, "°C");
    SetLanguage(Language::kChinese);
    for (const char* part : {"A0200001", "冷库1", "Temperature", "8.6 °C", "8 °C (high limit)",
                             "QX450-A0200001-1", "Time: "})
        EXPECT_NE(en.body.find(part), std::string::npos) << part << "\n" << en.body;

    e.name = "room\r\nBcc: x@example.org";
    const std::string wire = MailWireText(Site(), Site().to, AlarmMailMessage(e), 0);
    EXPECT_EQ(wire.find("\nBcc:"), std::string::npos);
    EXPECT_NE(wire.find("\r\nTo: a@example.org, b@example.org, c@example.org\r\n"),
              std::string::npos);
}

// A real SMTP server on the loopback for one test, keeping what it receives in a maildir.
class SmtpServer {
  public:
    explicit SmtpServer(const std::string& handler, const fs::path& dir) : dir_(dir) {
        port_ = FreePort();
        pid_ = fork();
        if (pid_ == 0) {
            setenv("PYTHONPATH", dir.c_str(), 1);
            const std::string listen = "127.0.0.1:" + std::to_string(port_);
            const std::string box = (dir / "box").string();
            execl("/usr/bin/python3", "python3", "-m", "aiosmtpd", "-n", "-l", listen.c_str(), "-c",
                  handler.c_str(), box.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int i = 0; i < 200 && !Accepts(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    ~SmtpServer() {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    std::string Url() const { return "smtp://127.0.0.1:" + std::to_string(port_); }
    std::vector<std::string> Messages() const {
        std::vector<std::string> out;
        if (!fs::exists(dir_ / "box" / "new")) return out;
        for (const auto& f : fs::directory_iterator(dir_ / "box" / "new")) {
            std::ifstream in(f.path());
            std::stringstream s;
            s << in.rdbuf();
            out.push_back(s.str());
        }
        return out;
    }
    static int FreePort() {
        int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        socklen_t n = sizeof a;
        getsockname(fd, reinterpret_cast<sockaddr*>(&a), &n);
        close(fd);
        return ntohs(a.sin_port);
    }

  private:
    bool Accepts() const {
        int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(port_));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
        close(fd);
        return ok;
    }
    fs::path dir_;
    int port_ = 0;
    pid_t pid_ = -1;
};

class AlarmSmtp : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "qx-smtp-XXXXXX").string();
        dir_ = mkdtemp(pattern.data());
        // No ~/.netrc of the machine's user is read.
        setenv("HOME", dir_.c_str(), 1);
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

TEST_F(AlarmSmtp, EveryRecipientGetsTheMessageInOneDelivery) {
    SmtpServer server("aiosmtpd.handlers.Mailbox", dir_);
    MailSettings s = Site();
    s.server = server.Url();
    const MailResult r = SendMail(s, s.to, AlarmMailMessage(Raised("x3", 0), "℃"));
    ASSERT_TRUE(r.sent) << r.reason;
    const auto messages = server.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("X-RcptTo: a@example.org, b@example.org, c@example.org"),
              std::string::npos)
        << messages[0];
    EXPECT_NE(messages[0].find("X-MailFrom: qxlog@example.org"), std::string::npos);
}

TEST_F(AlarmSmtp, ARefusalAndAServerThatIsDownAreReportedAndRetried) {
    std::ofstream(dir_ / "refuse.py")
        << "class Refuse:\n"
           "    @classmethod\n"
           "    def from_cli(cls, parser, *args):\n"
           "        return cls()\n"
           "    async def handle_RCPT(self, server, session, envelope, address, options):\n"
           "        return '550 5.1.1 no such mailbox'\n";
    SmtpServer refusing("refuse.Refuse", dir_);
    MailSettings s = Site();
    s.server = refusing.Url();
    MailResult r = SendMail(s, s.to, AlarmMailMessage(Raised("x4", 0)));
    EXPECT_FALSE(r.sent);
    EXPECT_NE(r.reason.find("550"), std::string::npos) << r.reason;

    s.server = "smtp://127.0.0.1:" + std::to_string(SmtpServer::FreePort());
    MailOutbox outbox(
        [&](const MailJob& job) { return SendMail(s, job.recipients, job.message, 5); }, {0});
    outbox.Post({"x4", s.to, AlarmMailMessage(Raised("x4", 0))});
    ASSERT_TRUE(outbox.Drain(20));
    const auto reports = outbox.TakeReports();
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_FALSE(reports[0].final);
    EXPECT_TRUE(reports[1].final);
    EXPECT_EQ(reports[1].attempt, 2);
    EXPECT_NE(reports[1].result.reason.find(s.server), std::string::npos);
}

TEST_F(AlarmSmtp, ALoginFileOthersCanReadIsRefusedBeforeConnecting) {
    const fs::path netrc = dir_ / ".netrc";
    std::ofstream(netrc) << "machine 127.0.0.1 login qx password secret\n";
    fs::permissions(netrc, fs::perms::owner_read | fs::perms::group_read);
    MailSettings s = Site();
    MailResult r = SendMail(s, s.to, AlarmMailMessage(Raised("x5", 0)));
    EXPECT_FALSE(r.sent);
    EXPECT_NE(r.reason.find("chmod 600"), std::string::npos) << r.reason;
    EXPECT_EQ(r.reason.find("secret"), std::string::npos);
    fs::permissions(netrc, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_TRUE(CredentialsFileProblem(netrc.string()).empty());
}

}  // namespace
}  // namespace qx
