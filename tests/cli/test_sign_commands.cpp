// qxlog-cli sign, sign-key new and verify, as the program, with poppler's pdfsig as the reader
// that judges the signatures.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "run_cli.h"

namespace qx {
namespace {

using test::RunCli;
using test::RunShell;
using test::ShellQuote;

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// A one-page PDF laid out as the program's printing writes them: a classic cross-reference
// table, the page's annotations in an array object of their own, an information dictionary.
std::string SmallPdf() {
    const std::vector<std::string> objects = {
        "<<\n/Title (Report)\n>>",
        "<<\n/Type /Catalog\n/Pages 3 0 R\n>>",
        "<<\n/Type /Pages\n/Kids \n[\n4 0 R\n]\n/Count 1\n>>",
        "<<\n/Type /Page\n/Parent 3 0 R\n/Contents 6 0 R\n/Annots 5 0 R\n"
        "/MediaBox [0 0 595.000000 842.000000]\n>>",
        "[ ]",
        "<<\n/Length 23\n>>\nstream\nBT 72 720 Td (x) Tj ET\n\nendstream",
    };
    std::string pdf = "%PDF-1.4\n";
    std::vector<size_t> offsets;
    for (size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (const size_t at : offsets) {
        char entry[32];
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", at);
        pdf += entry;
    }
    pdf += "trailer\n<<\n/Size " + std::to_string(objects.size() + 1) +
           "\n/Info 1 0 R\n/Root 2 0 R\n>>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return pdf;
}

class SignCommands : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("qxlog-sign-" + std::to_string(getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        pass_ = (dir_ / "pass").string();
        Write(pass_, "correct horse\n");
        ::chmod(pass_.c_str(), 0600);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string MakeKey(const std::string& name, const std::string& file) {
        const std::string path = (dir_ / file).string();
        const auto run =
            RunCli({"sign-key", "new", "--name", name, "-o", path, "--passphrase-file", pass_});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        return path;
    }
    std::string Pdfsig(const std::string& pdf) { return RunShell("pdfsig " + ShellQuote(pdf)).out; }
    static int Count(const std::string& text, const std::string& what) {
        int n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            ++n;
        return n;
    }

    fs::path dir_;
    std::string pass_;
};

TEST_F(SignCommands, TwoSignersBothValidUntilOneByteChanges) {
    const std::string reviewer = MakeKey("Ann Reviewer", "ann.p12");
    const std::string approver = MakeKey("张三", "zhang.p12");
    struct stat st {};
    ASSERT_EQ(::stat(reviewer.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);  // a private key only its owner reads

    const std::string pdf = (dir_ / "report.pdf").string();
    Write(pdf, SmallPdf());
    auto run = RunCli({"--lang", "en", "sign", pdf, "--sign", reviewer, "--meaning", "reviewed",
                       "--passphrase-file", pass_});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::string report = Pdfsig(pdf);
    EXPECT_EQ(Count(report, "Signature is Valid."), 1) << report;
    EXPECT_NE(report.find("Common Name: Ann Reviewer"), std::string::npos) << report;
    EXPECT_NE(report.find("Total document signed"), std::string::npos) << report;
    const std::string once = Read(pdf);

    run = RunCli({"--lang", "en", "sign", pdf, "--sign", approver, "--meaning", "approved",
                  "--passphrase-file", pass_});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Read(pdf).substr(0, once.size()), once);  // an update after what was signed
    report = Pdfsig(pdf);
    EXPECT_EQ(Count(report, "Signature is Valid."), 2) << report;
    EXPECT_NE(report.find("Common Name: 张三"), std::string::npos) << report;

    run = RunCli({"--lang", "en", "verify", pdf});
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("Signature 1 (Signature1): valid; signer Ann Reviewer"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("meaning: Reviewed"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Signature 2 (Signature2): valid; signer 张三"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("meaning: Approved"), std::string::npos) << run.out;
    EXPECT_EQ(Count(run.out, "covers the whole file"), 1) << run.out;

    // One byte of the page's content, inside both signed ranges.
    std::string changed = Read(pdf);
    const size_t at = changed.find("(x) Tj");
    changed[at + 1] = 'y';
    Write(pdf, changed);
    report = Pdfsig(pdf);
    EXPECT_EQ(Count(report, "Signature is Valid."), 0) << report;
    EXPECT_EQ(Count(report, "Digest Mismatch."), 2) << report;
    run = RunCli({"--lang", "en", "verify", pdf});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(Count(run.out, "INVALID: The signature does not match the file's contents"), 2)
        << run.out;
}

TEST_F(SignCommands, RefusalsLeaveTheFileAsItWas) {
    const std::string key = MakeKey("Ann Reviewer", "ann.p12");
    const std::string pdf = (dir_ / "report.pdf").string();
    Write(pdf, SmallPdf());

    const std::string wrong = (dir_ / "wrong").string();
    Write(wrong, "not it\n");
    ::chmod(wrong.c_str(), 0600);
    auto run = RunCli({"--lang", "en", "sign", pdf, "--sign", key, "--meaning", "approved",
                       "--passphrase-file", wrong});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("passphrase of the signing key"), std::string::npos) << run.err;

    // A passphrase file others can read is not used.
    ::chmod(pass_.c_str(), 0640);
    run = RunCli({"--lang", "en", "sign", pdf, "--sign", key, "--meaning", "approved",
                  "--passphrase-file", pass_});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("can be read by others (mode 0640)"), std::string::npos) << run.err;
    ::chmod(pass_.c_str(), 0600);
    EXPECT_EQ(Read(pdf), SmallPdf());

    // A PDF cut short (no startxref at its end) and a file that is no PDF.
    const std::string cut = SmallPdf().substr(0, SmallPdf().size() - 30);
    Write(pdf, cut);
    run = RunCli({"--lang", "en", "sign", pdf, "--sign", key, "--meaning", "Checked \"twice\"",
                  "--passphrase-file", pass_});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("cannot be signed: The PDF file ends without a valid startxref"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(Read(pdf), cut);
    Write(pdf, "hello");
    run = RunCli({"--lang", "en", "verify", pdf});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("Not a PDF file"), std::string::npos) << run.err;

    Write(pdf, SmallPdf());
    run = RunCli({"--lang", "en", "verify", pdf});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out.find("no signature"), std::string::npos) << run.out;
    EXPECT_EQ(RunCli({"sign", pdf, "--sign", key}).exitCode, 2);        // no meaning
    EXPECT_EQ(RunCli({"sign-key", "new", "--name", "A"}).exitCode, 2);  // no file
    // An existing key is never replaced.
    const std::string before = Read(key);
    run = RunCli(
        {"--lang", "en", "sign-key", "new", "--name", "B", "-o", key, "--passphrase-file", pass_});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("exists already"), std::string::npos) << run.err;
    EXPECT_EQ(Read(key), before);
}

}  // namespace
}  // namespace qx
