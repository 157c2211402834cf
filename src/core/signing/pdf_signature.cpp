#include "pdf_signature.h"

#include <openssl/asn1.h>
#include <openssl/bio.h>
#include <openssl/cms.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pkcs12.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <set>

#include "core/model/language.h"
#include "core/model/text_util.h"
#include "core/records/atomic_file.h"
#include "pdf_file.h"

namespace qx {

struct SigningKey::Parts {
    EVP_PKEY* key = nullptr;
    X509* cert = nullptr;
    STACK_OF(X509) * chain = nullptr;
};

namespace {

// The room kept for the signature's value: enough for a certificate chain of a few RSA-4096
// certificates; a larger value is signed again with the room it needs.
constexpr size_t kSignatureRoom = 8192;
constexpr size_t kFileLimit = size_t{512} << 20;

template <typename T, void (*Free)(T*)>
struct Owned {
    T* p = nullptr;
    explicit Owned(T* q = nullptr) : p(q) {}
    ~Owned() {
        if (p) Free(p);
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    T* get() const { return p; }
    explicit operator bool() const { return p != nullptr; }
};
void FreeBio(BIO* b) {
    BIO_free(b);
}
using Bio = Owned<BIO, FreeBio>;
using Cms = Owned<CMS_ContentInfo, CMS_ContentInfo_free>;
using Pkcs12 = Owned<PKCS12, PKCS12_free>;
using Cert = Owned<X509, X509_free>;
using Key = Owned<EVP_PKEY, EVP_PKEY_free>;
using Store = Owned<X509_STORE, X509_STORE_free>;

// OpenSSL's own reason for the last failure, for the line below the program's message.
std::string OpenSslReason() {
    const unsigned long code = ERR_get_error();
    ERR_clear_error();
    if (code == 0) return {};
    char text[256];
    ERR_error_string_n(code, text, sizeof text);
    return text;
}

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error) *error = StrFormat(Tr("文件 %s 不能打开"), path.c_str());
        return false;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<size_t>(size) > kFileLimit) {
        if (error) *error = StrFormat(Tr("文件 %s 不能打开"), path.c_str());
        return false;
    }
    in.seekg(0);
    bytes.assign(static_cast<size_t>(size), '\0');
    if (!in.read(bytes.data(), size)) {
        if (error) *error = StrFormat(Tr("文件 %s 不能读取"), path.c_str());
        return false;
    }
    return true;
}

std::string CommonName(X509* cert) {
    X509_NAME* subject = X509_get_subject_name(cert);
    const int at = X509_NAME_get_index_by_NID(subject, NID_commonName, -1);
    if (at >= 0) {
        unsigned char* utf8 = nullptr;
        const int n =
            ASN1_STRING_to_UTF8(&utf8, X509_NAME_ENTRY_get_data(X509_NAME_get_entry(subject, at)));
        if (n >= 0) {
            std::string name(reinterpret_cast<char*>(utf8), static_cast<size_t>(n));
            OPENSSL_free(utf8);
            return name;
        }
    }
    char text[512];
    X509_NAME_oneline(subject, text, sizeof text);
    return text;
}

// A text string of PDF: UTF-16BE with its byte order mark, written as hexadecimal digits.
PdfValue TextString(const std::string& utf8) {
    std::string bytes = "\xFE\xFF";
    for (const char16_t u : Utf8ToUtf16(utf8)) {
        bytes += static_cast<char>(u >> 8);
        bytes += static_cast<char>(u & 0xFF);
    }
    return PdfValue::HexString(bytes);
}

// A text string of PDF read back: UTF-16BE with a byte order mark, or PDFDocEncoding (taken as
// Latin-1, which it matches for the letters the program writes).
std::string FromTextString(const std::string& bytes) {
    if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF') {
        std::u16string units;
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)
            units += static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) << 8 |
                                           static_cast<uint8_t>(bytes[i + 1]));
        return Utf16ToUtf8(units);
    }
    return Latin1ToUtf8(bytes);
}

// D:YYYYMMDDHHmmSS+hh'mm' in local time.
std::string PdfDate(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    const long offset = local.tm_gmtoff / 60;
    return StrFormat("D:%04d%02d%02d%02d%02d%02d%c%02ld'%02ld'", local.tm_year + 1900,
                     local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                     offset < 0 ? '-' : '+', std::labs(offset) / 60, std::labs(offset) % 60);
}

std::optional<std::time_t> FromPdfDate(const std::string& text) {
    int y, mo, d, h, mi, s;
    if (std::sscanf(text.c_str(), "D:%4d%2d%2d%2d%2d%2d", &y, &mo, &d, &h, &mi, &s) != 6)
        return std::nullopt;
    std::tm tm{};
    tm.tm_year = y - 1900, tm.tm_mon = mo - 1, tm.tm_mday = d;
    tm.tm_hour = h, tm.tm_min = mi, tm.tm_sec = s;
    long offset = 0;
    if (text.size() > 16 && (text[16] == '+' || text[16] == '-')) {
        int oh = 0, om = 0;
        std::sscanf(text.c_str() + 17, "%2d'%2d", &oh, &om);
        offset = (text[16] == '-' ? -1 : 1) * (oh * 3600L + om * 60L);
    }
    return timegm(&tm) - offset;
}

// Text of the block in the standard font Helvetica (WinAnsiEncoding), which shows Latin-1
// letters only; nothing when the text has other characters.
std::optional<std::string> Latin1Text(const std::string& utf8) {
    std::string out;
    for (const char16_t u : Utf8ToUtf16(utf8)) {
        if (u < 0x20 || (u >= 0x7F && u < 0xA0) || u > 0xFF) return std::nullopt;
        out += static_cast<char>(u);
    }
    return out;
}

std::string PdfLiteral(const std::string& latin1) {
    std::string out = "(";
    for (const char c : latin1) {
        if (c == '(' || c == ')' || c == '\\') out += '\\';
        out += c;
    }
    return out + ")";
}

// The block's lines: who signed, when, and what it means. A name or meaning that the standard
// font cannot show is named as kept in the signature's properties, where every reader shows it.
std::vector<std::string> BlockLines(const std::string& signer, const std::string& meaning,
                                    std::time_t when) {
    std::vector<std::string> lines;
    const auto line = [&](const char* label, const std::string& value) {
        std::optional<std::string> text = Latin1Text(value);
        std::string shown = text ? *text : "(see the signature properties)";
        if (shown.size() > 44) shown = shown.substr(0, 41) + "...";
        lines.push_back(std::string(label) + shown);
    };
    line("Digitally signed by: ", signer);
    line("Date: ", SigningTimeText(when));
    line("Meaning: ", meaning);
    return lines;
}

// The appearance of the signature block: a framed box w x h points with the lines in it.
std::string BlockAppearance(const std::vector<std::string>& lines, double w, double h) {
    std::string s =
        StrFormat("q 0.97 g 0 0 %.2f %.2f re f Q\nq 0.45 G 0.6 w 0.3 0.3 %.2f %.2f re S Q\n", w, h,
                  w - 0.6, h - 0.6);
    s += StrFormat("BT 0 g /Helv 6.5 Tf 8.5 TL 4 %.2f Td\n", h - 10);
    for (const std::string& l : lines)
        s += PdfLiteral(l) + " Tj T*\n";
    return s + "ET\n";
}

std::string XrefSection(const std::vector<std::pair<int, size_t>>& offsets,
                        const std::function<int(int)>& generation) {
    std::string s = "xref\n";
    for (size_t i = 0; i < offsets.size();) {
        size_t j = i + 1;
        while (j < offsets.size() && offsets[j].first == offsets[j - 1].first + 1)
            ++j;
        s += StrFormat("%d %zu\n", offsets[i].first, j - i);
        for (size_t k = i; k < j; ++k)
            s += StrFormat("%010zu %05d n \n", offsets[k].second, generation(offsets[k].first));
        i = j;
    }
    return s;
}

// The widgets of signature fields among a page's annotations.
int CountSignatureWidgets(PdfFile& pdf, const PdfValue* annots) {
    int n = 0;
    if (!annots || !annots->Is(PdfValue::Kind::kArray)) return 0;
    for (const PdfValue& a : annots->items) {
        const PdfValue* annot = pdf.Resolve(&a);
        if (!annot || !annot->Is(PdfValue::Kind::kDict)) continue;
        const PdfValue* ft = annot->Find("FT");
        if (ft && ft->IsName("Sig")) ++n;
    }
    return n;
}

// The last page of the page tree: its number and dictionary (with what it inherits looked up
// by the caller). Walks at most a few thousand nodes.
bool LastPage(PdfFile& pdf, const PdfValue& catalog, int& number, std::string* error) {
    const PdfValue* node = catalog.Find("Pages");
    for (int depth = 0; depth < 64; ++depth) {
        if (!node || !node->Is(PdfValue::Kind::kRef)) break;
        const int at = node->objectNumber;
        const PdfFile::Object* object = pdf.Get(at, error);
        if (!object || !object->value.Is(PdfValue::Kind::kDict)) return false;
        const PdfValue* type = object->value.Find("Type");
        const PdfValue* kids = pdf.Resolve(object->value.Find("Kids"));
        if (type && type->IsName("Page")) {
            number = at;
            return true;
        }
        if (!kids || !kids->Is(PdfValue::Kind::kArray) || kids->items.empty()) break;
        node = &kids->items.back();
    }
    if (error) *error = Tr("PDF 文件没有可以读取的页");
    return false;
}

// The page's box, inherited from the page tree when the page has none.
std::array<double, 4> MediaBox(PdfFile& pdf, const PdfValue& page) {
    const PdfValue* at = &page;
    for (int depth = 0; at && depth < 64; ++depth) {
        const PdfValue* box = pdf.Resolve(at->Find("MediaBox"));
        if (box && box->Is(PdfValue::Kind::kArray) && box->items.size() == 4) {
            std::array<double, 4> r{};
            for (size_t k = 0; k < 4; ++k) {
                const PdfValue* v = pdf.Resolve(&box->items[k]);
                r[k] = v && v->Is(PdfValue::Kind::kNumber) ? v->number : 0;
            }
            if (r[2] > r[0] && r[3] > r[1]) return r;
        }
        at = pdf.Resolve(at->Find("Parent"));
    }
    return {0, 0, 595, 842};
}

struct Update {
    std::string text;        // the bytes added after the original file
    size_t contentsAt = 0;   // where the signature's hex value starts, in the new file
    size_t contentsEnd = 0;  // one past its closing '>'
    size_t byteRangeAt = 0;  // where the placeholder of /ByteRange's numbers starts
};

constexpr const char* kByteRangePlaceholder = "[0 0000000000 0000000000 0000000000]";

bool MakeUpdate(PdfFile& pdf, const SigningKey& key, const SignRequest& request, std::time_t when,
                size_t room, Update& out, std::string* error) {
    const std::string& original = pdf.Bytes();
    const PdfValue& trailer = pdf.Trailer();
    if (trailer.Find("Encrypt")) {
        if (error) *error = Tr("PDF 文件是加密的, 不能签名");
        return false;
    }
    const PdfValue* rootRef = trailer.Find("Root");
    const PdfFile::Object* rootObject = pdf.Get(rootRef->objectNumber, error);
    if (!rootObject || !rootObject->value.Is(PdfValue::Kind::kDict)) return false;
    PdfValue catalog = rootObject->value;
    int pageNumber = 0;
    if (!LastPage(pdf, catalog, pageNumber, error)) return false;
    PdfValue page = pdf.Get(pageNumber)->value;

    int next = pdf.Size();
    const int sigNumber = next++;
    const int widgetNumber = next++;
    const int appearanceNumber = request.drawBlock ? next++ : 0;
    const int fontNumber = request.drawBlock ? next++ : 0;

    // The objects this update writes, by number: new ones and changed copies of old ones.
    std::vector<std::pair<int, std::string>> objects;

    // The page's annotations, with the new widget; an array object of their own is rewritten
    // in place of the page.
    const PdfValue* annotsEntry = page.Find("Annots");
    PdfValue annots = PdfValue::Array({});
    int annotsNumber = 0;
    if (annotsEntry && annotsEntry->Is(PdfValue::Kind::kRef)) {
        annotsNumber = annotsEntry->objectNumber;
        const PdfValue* array = pdf.Resolve(annotsEntry);
        if (array && array->Is(PdfValue::Kind::kArray)) annots = *array;
    } else if (annotsEntry && annotsEntry->Is(PdfValue::Kind::kArray)) {
        annots = *annotsEntry;
    }
    const int slot = CountSignatureWidgets(pdf, &annots);
    annots.items.push_back(PdfValue::Ref(widgetNumber));
    if (annotsNumber) {
        objects.emplace_back(annotsNumber, SerializePdfValue(annots));
    } else {
        page.Set("Annots", annots);
        objects.emplace_back(pageNumber, SerializePdfValue(page));
    }

    // The form's fields, with the new signature field.
    std::set<std::string> names;
    PdfValue acroForm = PdfValue::Dict();
    int acroFormNumber = 0;
    if (const PdfValue* entry = catalog.Find("AcroForm")) {
        if (entry->Is(PdfValue::Kind::kRef)) acroFormNumber = entry->objectNumber;
        const PdfValue* form = pdf.Resolve(entry);
        if (form && form->Is(PdfValue::Kind::kDict)) acroForm = *form;
    }
    PdfValue fields = PdfValue::Array({});
    int fieldsNumber = 0;
    if (const PdfValue* entry = acroForm.Find("Fields")) {
        if (entry->Is(PdfValue::Kind::kRef)) fieldsNumber = entry->objectNumber;
        const PdfValue* array = pdf.Resolve(entry);
        if (array && array->Is(PdfValue::Kind::kArray)) fields = *array;
    }
    for (const PdfValue& f : fields.items) {
        const PdfValue* field = pdf.Resolve(&f);
        const PdfValue* t = field && field->Is(PdfValue::Kind::kDict) ? field->Find("T") : nullptr;
        if (t && t->Is(PdfValue::Kind::kString)) names.insert(t->text);
    }
    std::string fieldName;
    for (int n = static_cast<int>(fields.items.size()) + 1; fieldName.empty(); ++n) {
        const std::string candidate = StrFormat("Signature%d", n);
        if (!names.count(candidate)) fieldName = candidate;
    }
    fields.items.push_back(PdfValue::Ref(widgetNumber));
    if (fieldsNumber) {
        objects.emplace_back(fieldsNumber, SerializePdfValue(fields));
    } else {
        acroForm.Set("Fields", fields);
    }
    acroForm.Set("SigFlags", PdfValue::Integer(3));
    if (acroFormNumber) {
        objects.emplace_back(acroFormNumber, SerializePdfValue(acroForm));
    } else {
        catalog.Set("AcroForm", acroForm);
        objects.emplace_back(rootRef->objectNumber, SerializePdfValue(catalog));
    }

    // The block sits in the page's bottom margin, below the footer: three places side by side,
    // taken in turn by the signatures of the page. A fourth and later signature has no block.
    const std::array<double, 4> box = MediaBox(pdf, page);
    const double margin = 36, height = 34;
    const double width = (box[2] - box[0] - 2 * margin) / 3;
    const bool visible = request.drawBlock && slot < 3;
    PdfValue rect = PdfValue::Array(
        {PdfValue::Integer(0), PdfValue::Integer(0), PdfValue::Integer(0), PdfValue::Integer(0)});
    if (visible) {
        const auto number = [](double v) {
            PdfValue n = PdfValue::Integer(0);
            n.number = v;
            n.raw = StrFormat("%.2f", v);
            return n;
        };
        const double x = box[0] + margin + slot * width, y = box[1] + 4;
        rect = PdfValue::Array({number(x), number(y), number(x + width - 4), number(y + height)});
    }

    const std::string signer = key.SignerName();
    std::string sig = "<</Type /Sig /Filter /Adobe.PPKLite /SubFilter /adbe.pkcs7.detached\n";
    sig += "/ByteRange ";
    const size_t byteRangeInSig = sig.size();
    sig += kByteRangePlaceholder;
    sig += "\n/Contents ";
    const size_t contentsInSig = sig.size();
    sig += "<" + std::string(2 * room, '0') + ">";
    sig += "\n/M " + PdfValue::HexString(PdfDate(when)).raw;
    sig += "\n/Name " + TextString(signer).raw;
    sig += "\n/Reason " + TextString(request.meaning).raw + ">>";

    PdfValue widget = PdfValue::Dict();
    widget.Set("Type", PdfValue::Name("Annot"));
    widget.Set("Subtype", PdfValue::Name("Widget"));
    widget.Set("FT", PdfValue::Name("Sig"));
    widget.Set("T", PdfValue::HexString(fieldName));
    widget.Set("V", PdfValue::Ref(sigNumber));
    widget.Set("F", PdfValue::Integer(132));  // printed, locked
    widget.Set("P", PdfValue::Ref(pageNumber, pdf.Generation(pageNumber)));
    widget.Set("Rect", rect);
    if (visible) {
        PdfValue ap = PdfValue::Dict();
        ap.Set("N", PdfValue::Ref(appearanceNumber));
        widget.Set("AP", ap);
    }
    objects.emplace_back(sigNumber, sig);
    objects.emplace_back(widgetNumber, SerializePdfValue(widget));
    if (request.drawBlock) {
        const double w = visible ? width - 4 : 1, h = visible ? height : 1;
        const std::string content =
            visible ? BlockAppearance(BlockLines(signer, request.meaning, when), w, h) : "";
        objects.emplace_back(
            appearanceNumber,
            StrFormat("<</Type /XObject /Subtype /Form /BBox [0 0 %.2f %.2f] /Resources "
                      "<</Font <</Helv %d 0 R>>>> /Length %zu>>\nstream\n",
                      w, h, fontNumber, content.size()) +
                content + "\nendstream");
        objects.emplace_back(fontNumber,
                             "<</Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding "
                             "/WinAnsiEncoding>>");
    }
    std::sort(objects.begin(), objects.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });

    out = Update{};
    if (!original.empty() && original.back() != '\n' && original.back() != '\r') out.text = "\n";
    std::vector<std::pair<int, size_t>> offsets;
    for (const auto& [number, body] : objects) {
        const size_t at = original.size() + out.text.size();
        offsets.emplace_back(number, at);
        const int generation = number < pdf.Size() ? pdf.Generation(number) : 0;
        out.text += StrFormat("%d %d obj\n", number, generation);
        if (number == sigNumber) {
            out.byteRangeAt = original.size() + out.text.size() + byteRangeInSig;
            out.contentsAt = original.size() + out.text.size() + contentsInSig;
            out.contentsEnd = out.contentsAt + 2 * room + 2;
        }
        out.text += body + "\nendobj\n";
    }
    const size_t xrefAt = original.size() + out.text.size();
    out.text += XrefSection(offsets, [&](int n) { return n < pdf.Size() ? pdf.Generation(n) : 0; });
    PdfValue newTrailer = PdfValue::Dict();
    newTrailer.Set("Size", PdfValue::Integer(next));
    newTrailer.Set("Root", *rootRef);
    if (const PdfValue* info = trailer.Find("Info")) newTrailer.Set("Info", *info);
    if (const PdfValue* id = trailer.Find("ID")) newTrailer.Set("ID", *id);
    newTrailer.Set("Prev", PdfValue::Integer(static_cast<long long>(pdf.LastXrefOffset())));
    out.text += "trailer\n" + SerializePdfValue(newTrailer) +
                StrFormat("\nstartxref\n%zu\n%%%%EOF\n", xrefAt);
    return true;
}

// The detached CMS of the bytes outside the hole, DER; empty on failure.
std::string SignRanges(const SigningKey& key, std::string_view first, std::string_view second,
                       std::string* error) {
    const SigningKey::Parts& k = key.Get();
    Bio data(BIO_new(BIO_s_mem()));
    if (!data || BIO_write(data.get(), first.data(), static_cast<int>(first.size())) < 0 ||
        BIO_write(data.get(), second.data(), static_cast<int>(second.size())) < 0)
        return {};
    const unsigned flags = CMS_DETACHED | CMS_BINARY | CMS_NOSMIMECAP | CMS_PARTIAL;
    Cms cms(CMS_sign(nullptr, nullptr, k.chain, nullptr, flags));
    std::string der;
    if (cms && CMS_add1_signer(cms.get(), k.cert, k.key, EVP_sha256(), flags) &&
        CMS_final(cms.get(), data.get(), nullptr, flags)) {
        Bio out(BIO_new(BIO_s_mem()));
        if (out && i2d_CMS_bio(out.get(), cms.get())) {
            char* p = nullptr;
            const long n = BIO_get_mem_data(out.get(), &p);
            if (n > 0) der.assign(p, static_cast<size_t>(n));
        }
    }
    if (der.empty() && error) {
        *error = Tr("签名不能生成");
        const std::string why = OpenSslReason();
        if (!why.empty()) *error += ": " + why;
    }
    return der;
}

}  // namespace

SigningKey::SigningKey() : parts_(std::make_unique<Parts>()) {}

SigningKey::~SigningKey() {
    EVP_PKEY_free(parts_->key);
    X509_free(parts_->cert);
    sk_X509_pop_free(parts_->chain, X509_free);
}

std::unique_ptr<SigningKey> SigningKey::Load(const std::string& path, const std::string& passphrase,
                                             std::string* error) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes, error)) return nullptr;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    Pkcs12 p12(d2i_PKCS12(nullptr, &p, static_cast<long>(bytes.size())));
    if (!p12) {
        if (error) *error = StrFormat(Tr("文件 %s 不是 PKCS#12 签名密钥"), path.c_str());
        ERR_clear_error();
        return nullptr;
    }
    std::unique_ptr<SigningKey> key(new SigningKey());
    Parts& parts = *key->parts_;
    if (!PKCS12_parse(p12.get(), passphrase.c_str(), &parts.key, &parts.cert, &parts.chain)) {
        if (error) *error = StrFormat(Tr("签名密钥 %s 的口令不对"), path.c_str());
        ERR_clear_error();
        return nullptr;
    }
    if (!parts.key || !parts.cert || X509_check_private_key(parts.cert, parts.key) != 1) {
        if (error) *error = StrFormat(Tr("文件 %s 中没有私钥和与之相配的证书"), path.c_str());
        ERR_clear_error();
        return nullptr;
    }
    key->signer_ = CommonName(parts.cert);
    return key;
}

bool MakeSigningKey(const std::string& name, const std::string& passphrase, int years,
                    const std::string& path, std::string* error) {
    const auto fail = [&] {
        if (error) {
            *error = Tr("签名密钥不能生成");
            const std::string why = OpenSslReason();
            if (!why.empty()) *error += ": " + why;
        }
        return false;
    };
    Key key(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256"));
    Cert cert(X509_new());
    if (!key || !cert) return fail();
    unsigned char serial[16];
    if (RAND_bytes(serial, sizeof serial) != 1) return fail();
    serial[0] &= 0x7F;  // a positive number
    BIGNUM* bn = BN_bin2bn(serial, sizeof serial, nullptr);
    const bool serialSet = bn && BN_to_ASN1_INTEGER(bn, X509_get_serialNumber(cert.get()));
    BN_free(bn);
    X509_NAME* subject = X509_get_subject_name(cert.get());
    if (!serialSet || !X509_set_version(cert.get(), 2) ||
        !X509_gmtime_adj(X509_getm_notBefore(cert.get()), 0) ||
        !X509_time_adj_ex(X509_getm_notAfter(cert.get()), 365 * years + years / 4, 0, nullptr) ||
        !X509_NAME_add_entry_by_NID(subject, NID_commonName, MBSTRING_UTF8,
                                    reinterpret_cast<const unsigned char*>(name.c_str()), -1, -1,
                                    0) ||
        !X509_set_issuer_name(cert.get(), subject) || !X509_set_pubkey(cert.get(), key.get()))
        return fail();
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, cert.get(), cert.get(), nullptr, nullptr, 0);
    const std::pair<int, const char*> extensions[] = {
        {NID_key_usage, "critical,digitalSignature,nonRepudiation"},
        {NID_basic_constraints, "critical,CA:FALSE"},
        {NID_subject_key_identifier, "hash"},
    };
    for (const auto& [nid, value] : extensions) {
        X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
        const bool added = ext && X509_add_ext(cert.get(), ext, -1);
        X509_EXTENSION_free(ext);
        if (!added) return fail();
    }
    if (!X509_sign(cert.get(), key.get(), EVP_sha256())) return fail();
    Pkcs12 p12(PKCS12_create(passphrase.c_str(), name.c_str(), key.get(), cert.get(), nullptr, 0, 0,
                             0, 0, 0));
    if (!p12) return fail();
    unsigned char* der = nullptr;
    const int n = i2d_PKCS12(p12.get(), &der);
    if (n <= 0) return fail();
    const std::string bytes(reinterpret_cast<char*>(der), static_cast<size_t>(n));
    OPENSSL_free(der);
    return ReplacePrivateFile(path, bytes, error);
}

SignatureMeaning ParseSignatureMeaning(std::string_view word) {
    if (word == "reviewed") return SignatureMeaning::kReviewed;
    if (word == "approved") return SignatureMeaning::kApproved;
    if (word == "responsible") return SignatureMeaning::kResponsible;
    return SignatureMeaning::kText;
}

std::string SignatureMeaningText(SignatureMeaning meaning, const std::string& text) {
    switch (meaning) {
        case SignatureMeaning::kReviewed:
            return Tr("已审核");
        case SignatureMeaning::kApproved:
            return Tr("已批准");
        case SignatureMeaning::kResponsible:
            return Tr("负责");
        case SignatureMeaning::kText:
            break;
    }
    return text;
}

std::string SigningTimeText(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    const long offset = local.tm_gmtoff / 60;
    return StrFormat("%04d-%02d-%02d %02d:%02d:%02d %c%02ld:%02ld", local.tm_year + 1900,
                     local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                     offset < 0 ? '-' : '+', std::labs(offset) / 60, std::labs(offset) % 60);
}

bool SignPdf(const std::string& bytes, const SigningKey& key, const SignRequest& request,
             std::string* signedBytes, std::string* error) {
    PdfFile pdf;
    std::string why;
    if (!pdf.Open(bytes, &why)) {
        if (error) *error = why;
        return false;
    }
    const std::time_t when = request.when ? request.when : std::time(nullptr);
    size_t room = kSignatureRoom;
    for (int attempt = 0; attempt < 2; ++attempt) {
        Update update;
        if (!MakeUpdate(pdf, key, request, when, room, update, error)) return false;
        std::string out = bytes + update.text;
        const std::string range = StrFormat("[0 %zu %zu %zu]", update.contentsAt,
                                            update.contentsEnd, out.size() - update.contentsEnd);
        std::string field = range;
        field.resize(std::string_view(kByteRangePlaceholder).size(), ' ');
        out.replace(update.byteRangeAt, field.size(), field);
        const std::string der = SignRanges(key, std::string_view(out).substr(0, update.contentsAt),
                                           std::string_view(out).substr(update.contentsEnd), error);
        if (der.empty()) return false;
        if (der.size() > room) {
            room = der.size() + 1024;
            continue;
        }
        static constexpr char kDigits[] = "0123456789abcdef";
        for (size_t i = 0; i < der.size(); ++i) {
            out[update.contentsAt + 1 + 2 * i] = kDigits[static_cast<uint8_t>(der[i]) >> 4];
            out[update.contentsAt + 2 + 2 * i] = kDigits[static_cast<uint8_t>(der[i]) & 15];
        }
        *signedBytes = std::move(out);
        return true;
    }
    if (error) *error = Tr("签名不能生成");
    return false;
}

bool SignPdfFile(const std::string& path, const SigningKey& key, const SignRequest& request,
                 std::string* error) {
    std::string bytes, out, why;
    if (!ReadWholeFile(path, bytes, error)) return false;
    if (!SignPdf(bytes, key, request, &out, &why) || !ReplaceFile(path, out, &why)) {
        if (error) *error = StrFormat(Tr("文件 %s 不能签名: %s"), path.c_str(), why.c_str());
        return false;
    }
    return true;
}

namespace {

// The signature fields of the form, with the fields below them.
void CollectSignatureFields(PdfFile& pdf, const PdfValue* fields, int depth,
                            std::vector<const PdfValue*>& out) {
    if (!fields || !fields->Is(PdfValue::Kind::kArray) || depth > 16) return;
    for (const PdfValue& f : fields->items) {
        const PdfValue* field = pdf.Resolve(&f);
        if (!field || !field->Is(PdfValue::Kind::kDict)) continue;
        const PdfValue* ft = field->Find("FT");
        if (ft && ft->IsName("Sig") && field->Find("V")) out.push_back(field);
        CollectSignatureFields(pdf, pdf.Resolve(field->Find("Kids")), depth + 1, out);
    }
}

void CheckSignature(PdfFile& pdf, const PdfValue& field, SignatureCheck& check) {
    const std::string& file = pdf.Bytes();
    if (const PdfValue* t = field.Find("T"); t && t->Is(PdfValue::Kind::kString))
        check.field = FromTextString(t->text);
    const PdfValue* v = field.Find("V");
    // The value must be read from the file itself, where its hole is.
    const PdfFile::Object* object =
        v && v->Is(PdfValue::Kind::kRef) ? pdf.Get(v->objectNumber) : nullptr;
    const PdfValue* sig = object ? &object->value : nullptr;
    if (!sig || !sig->Is(PdfValue::Kind::kDict)) {
        check.problem = Tr("签名的值不能读取");
        return;
    }
    if (const PdfValue* r = sig->Find("Reason"); r && r->Is(PdfValue::Kind::kString))
        check.meaning = FromTextString(r->text);
    if (const PdfValue* m = sig->Find("M"); m && m->Is(PdfValue::Kind::kString))
        check.signingTime = FromPdfDate(m->text).value_or(0);
    const PdfValue* range = sig->Find("ByteRange");
    const PdfValue* contents = sig->Find("Contents");
    long long r[4] = {-1, -1, -1, -1};
    if (range && range->Is(PdfValue::Kind::kArray) && range->items.size() == 4) {
        for (size_t k = 0; k < 4; ++k)
            if (range->items[k].Is(PdfValue::Kind::kNumber))
                r[k] = static_cast<long long>(range->items[k].number);
    }
    const bool inFile =
        contents && contents->Is(PdfValue::Kind::kString) && contents->end <= file.size() &&
        file.compare(contents->begin, contents->end - contents->begin, contents->raw) == 0;
    if (!inFile || r[0] != 0 || r[1] != static_cast<long long>(contents->begin) ||
        r[2] != static_cast<long long>(contents->end) || r[3] < 0 ||
        static_cast<unsigned long long>(r[2] + r[3]) > file.size()) {
        check.problem = Tr("签名的字节范围没有覆盖文件 (除签名值以外的全部)");
        return;
    }
    const size_t end = static_cast<size_t>(r[2] + r[3]);
    check.bytesAfter = file.size() - end;
    check.wholeFile = check.bytesAfter == 0;
    const size_t eof = end >= 5 ? file.rfind("%%EOF", end - 5) : std::string::npos;
    if (!check.wholeFile &&
        (eof == std::string::npos || file.find_first_not_of("\r\n", eof + 5) < end)) {
        // A range that ends elsewhere than at the end of a revision leaves bytes unsigned.
        check.problem = Tr("签名的字节范围没有覆盖文件 (除签名值以外的全部)");
        return;
    }
    const auto* p = reinterpret_cast<const unsigned char*>(contents->text.data());
    Cms cms(d2i_CMS_ContentInfo(nullptr, &p, static_cast<long>(contents->text.size())));
    if (!cms) {
        check.problem = Tr("签名的值不是 CMS 签名");
        ERR_clear_error();
        return;
    }
    STACK_OF(CMS_SignerInfo)* infos = CMS_get0_SignerInfos(cms.get());
    if (infos && sk_CMS_SignerInfo_num(infos) > 0) {
        CMS_SignerInfo* si = sk_CMS_SignerInfo_value(infos, 0);
        const int at = CMS_signed_get_attr_by_NID(si, NID_pkcs9_signingTime, -1);
        X509_ATTRIBUTE* attr = at >= 0 ? CMS_signed_get_attr(si, at) : nullptr;
        ASN1_TYPE* value = attr ? X509_ATTRIBUTE_get0_type(attr, 0) : nullptr;
        std::tm tm{};
        if (value && (value->type == V_ASN1_UTCTIME || value->type == V_ASN1_GENERALIZEDTIME) &&
            ASN1_TIME_to_tm(reinterpret_cast<ASN1_TIME*>(value->value.asn1_string), &tm))
            check.signingTime = timegm(&tm);
    }
    Bio data(BIO_new(BIO_s_mem()));
    BIO_write(data.get(), file.data(), static_cast<int>(r[1]));
    BIO_write(data.get(), file.data() + r[2], static_cast<int>(r[3]));
    Store store(X509_STORE_new());
    // The certificate's trust is the site's to judge; this checks that the signed bytes are
    // the file's and that the key of the certificate signed them.
    check.valid = CMS_verify(cms.get(), nullptr, store.get(), data.get(), nullptr,
                             CMS_BINARY | CMS_DETACHED | CMS_NO_SIGNER_CERT_VERIFY) == 1;
    if (!check.valid) check.problem = Tr("签名与文件内容不符 (文件在签名之后被改动过)");
    // The signer's certificate as the signature names it (known once the check has matched it).
    STACK_OF(X509)* signers = CMS_get0_signers(cms.get());
    if (signers && sk_X509_num(signers) > 0) check.signer = CommonName(sk_X509_value(signers, 0));
    sk_X509_free(signers);
    ERR_clear_error();
}

}  // namespace

bool VerifyPdf(const std::string& bytes, std::vector<SignatureCheck>* checks, std::string* error) {
    PdfFile pdf;
    if (!pdf.Open(bytes, error)) return false;
    checks->clear();
    const PdfValue* root = pdf.Resolve(pdf.Trailer().Find("Root"));
    if (!root || !root->Is(PdfValue::Kind::kDict)) {
        if (error) *error = Tr("PDF 文件的 trailer 缺少 /Size 或 /Root");
        return false;
    }
    const PdfValue* form = pdf.Resolve(root->Find("AcroForm"));
    std::vector<const PdfValue*> fields;
    if (form && form->Is(PdfValue::Kind::kDict))
        CollectSignatureFields(pdf, pdf.Resolve(form->Find("Fields")), 0, fields);
    for (const PdfValue* field : fields) {
        SignatureCheck check;
        CheckSignature(pdf, *field, check);
        checks->push_back(std::move(check));
    }
    return true;
}

}  // namespace qx
