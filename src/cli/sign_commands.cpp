// Signed reports in qxlog-cli: sign (a signature added to a PDF written before), sign-key new
// (a self-signed signing key) and verify (every signature of a PDF checked).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli_command.h"
#include "cli_help.h"
#include "core/model/language.h"
#include "core/model/text_util.h"
#include "core/signing/passphrase.h"
#include "core/signing/pdf_signature.h"

namespace qx::cli {
namespace {

// A self-signed certificate lasts this many years.
constexpr int kKeyYears = 5;

int Usage(const char* command, const std::string& problem) {
    std::fprintf(stderr, Tr("qxlog-cli %s: %s\n(见 qxlog-cli %s --help)\n"), command,
                 problem.c_str(), command);
    return kExitUsage;
}

// The options of a command as pairs, and its other words; false (after the usage message) for
// an option it does not take or one without its value.
struct Words {
    std::vector<std::string> plain;
    std::vector<std::pair<std::string, std::string>> options;
    const std::string* Option(std::string_view name) const {
        for (const auto& [k, v] : options)
            if (k == name) return &v;
        return nullptr;
    }
};
bool ParseWords(const char* command, std::span<const std::string> args,
                std::initializer_list<std::string_view> valued, Words& out, int& exitCode) {
    for (size_t i = 0; i < args.size(); ++i) {
        std::string a = args[i];
        if (!a.starts_with("-") || a == "-") {
            out.plain.push_back(a);
            continue;
        }
        std::string value;
        bool hasValue = false;
        if (const size_t eq = a.find('='); eq != std::string::npos && a.starts_with("--")) {
            value = a.substr(eq + 1);
            a = a.substr(0, eq);
            hasValue = true;
        }
        if (a == "-o") a = "--output";
        if (std::find(valued.begin(), valued.end(), a) == valued.end()) {
            exitCode = Usage(command, StrFormat(Tr("不认识的选项 %s"), args[i].c_str()));
            return false;
        }
        if (!hasValue) {
            if (i + 1 >= args.size()) {
                exitCode = Usage(command, StrFormat(Tr("%s 需要一个值"), a.c_str()));
                return false;
            }
            value = args[++i];
        }
        if (out.Option(a)) {
            exitCode = Usage(command, StrFormat(Tr("%s 只能给一次"), a.c_str()));
            return false;
        }
        out.options.emplace_back(a, value);
    }
    return true;
}

// The passphrase of --passphrase-file, or asked on the terminal (twice for a new key).
std::optional<std::string> Passphrase(const Words& words, const std::string& prompt, bool twice,
                                      std::string& problem) {
    if (const std::string* file = words.Option("--passphrase-file"))
        return PassphraseFromFile(*file, problem);
    std::optional<std::string> first = PassphraseFromTerminal(prompt);
    if (!first) {
        problem = Tr("没有终端可以询问口令; 用 --passphrase-file 给出口令");
        return std::nullopt;
    }
    if (twice) {
        const std::optional<std::string> again = PassphraseFromTerminal(Tr("再输入一次口令: "));
        if (!again || *again != *first) {
            problem = Tr("两次输入的口令不同");
            return std::nullopt;
        }
    }
    return first;
}

std::string SignedMessage(const std::string& path, const std::string& signer,
                          const std::string& meaning) {
    return StrFormat(Tr("已签名 %s: 签名人 %s, 含义: %s"), path.c_str(), signer.c_str(),
                     meaning.c_str());
}

int RunSign(const CliOptions&, std::span<const std::string> args) {
    Words words;
    int exitCode = kExitOk;
    if (!ParseWords("sign", args, {"--sign", "--meaning", "--passphrase-file"}, words, exitCode))
        return exitCode;
    if (words.plain.size() != 1) return Usage("sign", Tr("需要一个 PDF 文件"));
    const std::string* keyPath = words.Option("--sign");
    const std::string* meaning = words.Option("--meaning");
    if (!keyPath || keyPath->empty()) return Usage("sign", Tr("需要 --sign KEY.p12"));
    if (!meaning || Trim(*meaning).empty())
        return Usage("sign", Tr("需要 --meaning reviewed|approved|responsible|\"TEXT\""));
    std::string problem;
    const std::optional<std::string> passphrase =
        Passphrase(words, StrFormat(Tr("签名密钥 %s 的口令: "), keyPath->c_str()), false, problem);
    if (!passphrase) {
        std::fprintf(stderr, "qxlog-cli sign: %s\n", problem.c_str());
        return kExitUsage;
    }
    const std::unique_ptr<SigningKey> key = SigningKey::Load(*keyPath, *passphrase, &problem);
    if (!key) {
        std::fprintf(stderr, "qxlog-cli sign: %s\n", problem.c_str());
        return kExitFailure;
    }
    SignRequest request;
    request.meaning = SignatureMeaningText(ParseSignatureMeaning(*meaning), Trim(*meaning));
    if (!SignPdfFile(words.plain[0], *key, request, &problem)) {
        std::fprintf(stderr, "qxlog-cli sign: %s\n", problem.c_str());
        return kExitFailure;
    }
    std::printf("%s\n", SignedMessage(words.plain[0], key->SignerName(), request.meaning).c_str());
    return kExitOk;
}

int RunSignKey(const CliOptions&, std::span<const std::string> args) {
    Words words;
    int exitCode = kExitOk;
    if (!ParseWords("sign-key", args, {"--name", "--output", "--passphrase-file"}, words, exitCode))
        return exitCode;
    if (words.plain.size() != 1 || words.plain[0] != "new")
        return Usage("sign-key", Tr("需要子命令 new"));
    const std::string* name = words.Option("--name");
    const std::string* output = words.Option("--output");
    if (!name || Trim(*name).empty())
        return Usage("sign-key", Tr("需要 --name NAME (签名人的姓名)"));
    if (!output || output->empty()) return Usage("sign-key", Tr("需要 -o FILE.p12"));
    // A key file is never replaced: the key it holds may have signed reports.
    if (std::filesystem::exists(*output)) {
        std::fprintf(stderr, "qxlog-cli sign-key: %s\n",
                     StrFormat(Tr("文件 %s 已经存在, 没有覆盖它"), output->c_str()).c_str());
        return kExitFailure;
    }
    std::string problem;
    const std::optional<std::string> passphrase =
        Passphrase(words, Tr("新签名密钥的口令: "), true, problem);
    if (!passphrase) {
        std::fprintf(stderr, "qxlog-cli sign-key: %s\n", problem.c_str());
        return kExitUsage;
    }
    if (passphrase->empty()) {
        std::fprintf(stderr, "qxlog-cli sign-key: %s\n", Tr("口令不能为空"));
        return kExitUsage;
    }
    if (!MakeSigningKey(Trim(*name), *passphrase, kKeyYears, *output, &problem)) {
        std::fprintf(stderr, "qxlog-cli sign-key: %s\n", problem.c_str());
        return kExitFailure;
    }
    std::printf(TrN("已生成签名密钥 %s: %s, 自签名证书, 有效 %d 年\n", kKeyYears), output->c_str(),
                Trim(*name).c_str(), kKeyYears);
    return kExitOk;
}

int RunVerify(const CliOptions&, std::span<const std::string> args) {
    Words words;
    int exitCode = kExitOk;
    if (!ParseWords("verify", args, {}, words, exitCode)) return exitCode;
    if (words.plain.size() != 1) return Usage("verify", Tr("需要一个 PDF 文件"));
    const std::string& path = words.plain[0];
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "qxlog-cli verify: %s\n",
                     StrFormat(Tr("文件 %s 不能打开"), path.c_str()).c_str());
        return kExitFailure;
    }
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<SignatureCheck> checks;
    std::string problem;
    if (!VerifyPdf(bytes, &checks, &problem)) {
        std::fprintf(stderr, "qxlog-cli verify: %s: %s\n", path.c_str(), problem.c_str());
        return kExitFailure;
    }
    if (checks.empty()) {
        std::printf(Tr("%s: 没有签名\n"), path.c_str());
        return kExitFailure;
    }
    bool allValid = true;
    for (size_t i = 0; i < checks.size(); ++i) {
        const SignatureCheck& c = checks[i];
        if (c.valid) {
            std::printf(Tr("签名 %zu (%s): 有效; 签名人 %s, 时间 %s, 含义: %s\n"), i + 1,
                        c.field.c_str(), c.signer.c_str(), SigningTimeText(c.signingTime).c_str(),
                        c.meaning.c_str());
            if (c.wholeFile) {
                std::printf("  %s\n", Tr("覆盖整个文件"));
            } else {
                std::printf("  %s\n",
                            StrFormat(Tr("覆盖到它的版本为止; 之后添加了 %zu 字节 (后来的签名)"),
                                      c.bytesAfter)
                                .c_str());
            }
        } else {
            allValid = false;
            std::printf(Tr("签名 %zu (%s): 无效: %s\n"), i + 1, c.field.c_str(), c.problem.c_str());
        }
    }
    return allValid ? kExitOk : kExitFailure;
}

std::string SignHelp() {
    return FormatHelp(
        Tr("用法: qxlog-cli sign PDF --sign KEY.p12\n"
           "                     --meaning reviewed|approved|responsible|TEXT\n"
           "                     [--passphrase-file F]\n"
           "\n"
           "给程序写出的 PDF 报表加一个电子签名: 标准的 PDF 签名 (对整个文件的分离式\n"
           "CMS 签名, 带签名时间), 任何 PDF 阅读器都能检验。签名作为增量更新加在文件\n"
           "之后, 所以之前的签名仍然有效 (第二个签名人批准第一个审核过的报表)。最后\n"
           "一页底边写明签名人 (证书的名称)、日期时间和含义。新文件完整写好之后才替换\n"
           "PDF; 失败时 PDF 不变。\n"
           "\n"
           "选项:\n"
           "  --sign KEY.p12     签名密钥 (PKCS#12 文件, 见 qxlog-cli sign-key)\n"
           "  --meaning M        签名的含义: reviewed (%s)、approved (%s)、\n"
           "                     responsible (%s), 或自己的文字\n"
           "  --passphrase-file F\n"
           "                     从文件 F 的第一行读取口令; 别人也能读取的文件被拒绝。\n"
           "                     不给时在终端上询问口令 (不显示)\n"
           "\n"
           "退出状态:\n"
           "  0  已签名\n"
           "  1  密钥不能读取或口令不对, PDF 不能读取或写入\n"
           "  2  缺少参数或参数错误, 没有口令"),
        SignatureMeaningText(SignatureMeaning::kReviewed, "").c_str(),
        SignatureMeaningText(SignatureMeaning::kApproved, "").c_str(),
        SignatureMeaningText(SignatureMeaning::kResponsible, "").c_str());
}

std::string SignKeyHelp() {
    return FormatHelp(
        Tr("用法: qxlog-cli sign-key new --name NAME -o FILE.p12\n"
           "                         [--passphrase-file F]\n"
           "\n"
           "为没有自己的证书机构的地点生成签名密钥: 一对新的密钥 (EC P-256) 和给 NAME\n"
           "的自签名证书, 只用于签名 (digitalSignature, nonRepudiation), 有效 %d 年,\n"
           "写入只有所有者能读取的 PKCS#12 文件, 用口令保护。地点自己的证书机构发的\n"
           "证书更好: 阅读器认得它, 而自签名证书只证明报表在签名之后没有改动。\n"
           "\n"
           "选项:\n"
           "  --name NAME        签名人的姓名, 即证书的名称, 显示在签名中\n"
           "  -o, --output FILE.p12\n"
           "                     要写的密钥文件\n"
           "  --passphrase-file F\n"
           "                     从文件 F 的第一行读取口令; 别人也能读取的文件被拒绝。\n"
           "                     不给时在终端上询问两次 (不显示)\n"
           "\n"
           "退出状态:\n"
           "  0  已生成密钥\n"
           "  1  FILE.p12 已经存在, 或密钥不能生成或写入\n"
           "  2  缺少参数或参数错误, 没有口令或口令为空"),
        kKeyYears);
}

std::string VerifyHelp() {
    return FormatHelp(
        Tr("用法: qxlog-cli verify PDF\n"
           "\n"
           "检验 PDF 的每个签名: 字节范围覆盖整个文件 (签名值以外的全部), CMS 签名对\n"
           "这些字节有效; 打印签名人、签名时间和含义。之后又签过名的文件, 前面的签名\n"
           "覆盖到它的版本为止。证书是否可信不在这里检验。\n"
           "\n"
           "退出状态:\n"
           "  0  每个签名都有效\n"
           "  1  有签名无效 (文件在签名之后被改动过), 没有签名, 或 PDF 不能读取\n"
           "  2  缺少参数或参数错误"));
}

const CliCommand kCommands[] = {
    {"sign", TrNoop("给 PDF 报表加电子签名"), {SignHelp}, RunSign},
    {"sign-key", TrNoop("生成签名密钥 (自签名证书)"), {SignKeyHelp}, RunSignKey},
    {"verify", TrNoop("检验 PDF 报表的签名"), {VerifyHelp}, RunVerify},
};

}  // namespace

std::span<const CliCommand> SignCommands() {
    return kCommands;
}

}  // namespace qx::cli
