// The PDF reader and the signature over files that keep their cross-references in a stream and
// their objects in a compressed object stream (as newer writers do), and files it must refuse.
#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/signing/pdf_file.h"
#include "core/signing/pdf_signature.h"

namespace qx {
namespace {

std::string Deflate(const std::string& data) {
    uLongf size = compressBound(data.size());
    std::string out(size, '\0');
    compress(reinterpret_cast<Bytef*>(out.data()), &size,
             reinterpret_cast<const Bytef*>(data.data()), data.size());
    out.resize(size);
    return out;
}

// Catalog, page tree and page in object stream 4; the cross-references in stream 6, rows of
// 1 + 4 + 2 bytes under the PNG "up" predictor.
std::string XrefStreamPdf() {
    const std::vector<std::string> packed = {
        "<</Type /Catalog /Pages 2 0 R>>",
        "<</Type /Pages /Kids [3 0 R] /Count 1 /MediaBox [0 0 842 595]>>",
        "<</Type /Page /Parent 2 0 R /Contents 5 0 R>>",
    };
    std::string header, body;
    for (size_t i = 0; i < packed.size(); ++i) {
        header += std::to_string(i + 1) + " " + std::to_string(body.size()) + " ";
        body += packed[i] + "\n";
    }
    const std::string objstm = Deflate(header + body);
    std::string pdf = "%PDF-1.5\n";
    const size_t at4 = pdf.size();
    pdf += "4 0 obj\n<</Type /ObjStm /N 3 /First " + std::to_string(header.size()) +
           " /Filter /FlateDecode /Length " + std::to_string(objstm.size()) + ">>\nstream\n" +
           objstm + "\nendstream\nendobj\n";
    const size_t at5 = pdf.size();
    pdf += "5 0 obj\n<</Length 22>>\nstream\nBT 72 500 Td (x) Tj ET\nendstream\nendobj\n";
    const size_t at6 = pdf.size();
    struct Row {
        int type;
        size_t field2;
        int field3;
    };
    const Row rows[] = {{0, 0, 65535}, {2, 4, 0},   {2, 4, 1},  {2, 4, 2},
                        {1, at4, 0},   {1, at5, 0}, {1, at6, 0}};
    std::string raw, prior(7, '\0');
    for (const Row& r : rows) {
        std::string row = {static_cast<char>(r.type)};
        for (int b = 3; b >= 0; --b)
            row += static_cast<char>(r.field2 >> (8 * b));
        row += static_cast<char>(r.field3 >> 8);
        row += static_cast<char>(r.field3);
        raw += '\x02';
        for (size_t k = 0; k < 7; ++k)
            raw += static_cast<char>(row[k] - prior[k]);
        prior = row;
    }
    const std::string xref = Deflate(raw);
    pdf +=
        "6 0 obj\n<</Type /XRef /Size 7 /W [1 4 2] /Root 1 0 R /Filter /FlateDecode "
        "/DecodeParms <</Predictor 12 /Columns 7>> /Length " +
        std::to_string(xref.size()) + ">>\nstream\n" + xref + "\nendstream\nendobj\n";
    pdf += "startxref\n" + std::to_string(at6) + "\n%%EOF\n";
    return pdf;
}

TEST(PdfSignature, FileWithCrossReferenceStreamIsSignedAndChecked) {
    PdfFile pdf;
    std::string error;
    ASSERT_TRUE(pdf.Open(XrefStreamPdf(), &error)) << error;
    const PdfFile::Object* page = pdf.Get(3, &error);
    ASSERT_NE(page, nullptr) << error;
    EXPECT_TRUE(page->value.Find("Type")->IsName("Page"));

    const std::string dir =
        std::filesystem::temp_directory_path() / ("qx-pdf-signature-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string keyPath = dir + "/key.p12";
    ASSERT_TRUE(MakeSigningKey("Ann Reviewer", "pass", 5, keyPath, &error)) << error;
    const std::unique_ptr<SigningKey> key = SigningKey::Load(keyPath, "pass", &error);
    ASSERT_TRUE(key) << error;
    EXPECT_EQ(key->SignerName(), "Ann Reviewer");
    EXPECT_FALSE(SigningKey::Load(keyPath, "wrong", &error));

    SignRequest request;
    request.meaning = "Reviewed";
    request.when = 1'800'000'000;
    std::string signedPdf;
    ASSERT_TRUE(SignPdf(XrefStreamPdf(), *key, request, &signedPdf, &error)) << error;
    std::vector<SignatureCheck> checks;
    ASSERT_TRUE(VerifyPdf(signedPdf, &checks, &error)) << error;
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_TRUE(checks[0].valid) << checks[0].problem;
    EXPECT_TRUE(checks[0].wholeFile);
    EXPECT_EQ(checks[0].signer, "Ann Reviewer");
    EXPECT_EQ(checks[0].meaning, "Reviewed");

    // Another reader agrees.
    const std::string file = dir + "/signed.pdf";
    FILE* out = std::fopen(file.c_str(), "wb");
    std::fwrite(signedPdf.data(), 1, signedPdf.size(), out);
    std::fclose(out);
    FILE* pdfsig = popen(("pdfsig '" + file + "'").c_str(), "r");
    std::string report;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pdfsig)) > 0;)
        report.append(buffer, n);
    pclose(pdfsig);
    EXPECT_NE(report.find("Signature is Valid."), std::string::npos) << report;
    std::filesystem::remove_all(dir);
}

TEST(PdfSignature, DamagedStructureIsRefusedWithItsReason) {
    const std::string good = XrefStreamPdf();
    PdfFile pdf;
    std::string error;
    // startxref pointing past the end, and a table whose /Prev leads back to itself.
    std::string bad = good.substr(0, good.rfind("startxref")) + "startxref\n999999\n%%EOF\n";
    EXPECT_FALSE(pdf.Open(bad, &error));
    EXPECT_NE(error.find("startxref"), std::string::npos) << error;
    const std::string loop =
        "%PDF-1.4\nxref\n0 1\n0000000000 65535 f \ntrailer\n<</Size 1 /Root 1 0 R /Prev 9>>\n"
        "startxref\n9\n%%EOF\n";
    EXPECT_FALSE(pdf.Open(loop, &error));
    EXPECT_NE(error.find(" 9)"), std::string::npos) << error;
    // A cross-reference stream cut in the middle.
    bad = good;
    const size_t stream = bad.find("stream\n", bad.find("6 0 obj")) + 7;
    bad.erase(stream, 5);
    EXPECT_FALSE(pdf.Open(bad, &error));
}

}  // namespace
}  // namespace qx
