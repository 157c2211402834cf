// Electronic signatures of the program's PDF reports: a standard PDF signature (a detached CMS
// over the whole file but the hole its own value fills, with the signing time) added as an
// incremental update, so that a signature made before stays valid; a signing key kept as a
// PKCS#12 file; and the check of every signature of a file.
#pragma once

#include <ctime>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qx {

// A private key with its certificate (and the chain that came with it) from a PKCS#12 file.
class SigningKey {
  public:
    ~SigningKey();
    SigningKey(const SigningKey&) = delete;
    SigningKey& operator=(const SigningKey&) = delete;

    // nullptr with *error saying why (no such file, wrong passphrase, no key or certificate).
    static std::unique_ptr<SigningKey> Load(const std::string& path, const std::string& passphrase,
                                            std::string* error);
    // The signer's printed name: the common name of the certificate's subject (UTF-8), or the
    // whole subject when it has none.
    const std::string& SignerName() const { return signer_; }

    struct Parts;
    const Parts& Get() const { return *parts_; }

  private:
    SigningKey();
    std::unique_ptr<Parts> parts_;
    std::string signer_;
};

// Makes a new key pair (EC P-256) with a self-signed certificate for `name` (its subject's common
// name), for signing only (key usage digitalSignature and nonRepudiation), valid for `years`
// from now, and writes both to a PKCS#12 file that only its owner may read, protected by the
// passphrase. False with *error saying why.
bool MakeSigningKey(const std::string& name, const std::string& passphrase, int years,
                    const std::string& path, std::string* error);

// What a signature means; kText uses the caller's own words.
enum class SignatureMeaning { kReviewed, kApproved, kResponsible, kText };
// "reviewed", "approved", "responsible": the meaning; anything else is a text of its own.
SignatureMeaning ParseSignatureMeaning(std::string_view word);
// The meaning as the signature states it, in the program's language ("批准" / "Approved"); the
// text itself for kText.
std::string SignatureMeaningText(SignatureMeaning meaning, const std::string& text);

struct SignRequest {
    std::string meaning;   // the words the signature states as its meaning (/Reason)
    std::time_t when = 0;  // the signing time; 0 for now
    // The signature block drawn as the signature's own appearance on the last page (for a PDF
    // written before); false when the page already shows it (the program drew it itself).
    bool drawBlock = true;
};

// Signs the PDF at `path` in place: reads it, adds the signature as an incremental update and
// replaces the file only when the whole new file is written. False with *error saying why; the
// file is then unchanged.
bool SignPdfFile(const std::string& path, const SigningKey& key, const SignRequest& request,
                 std::string* error);
// The same over bytes: the signed file's bytes in *signedBytes.
bool SignPdf(const std::string& bytes, const SigningKey& key, const SignRequest& request,
             std::string* signedBytes, std::string* error);

// One signature of a file as the check found it.
struct SignatureCheck {
    std::string field;            // the signature field's name
    std::string signer;           // the certificate subject's common name
    std::string meaning;          // the stated meaning (/Reason)
    std::time_t signingTime = 0;  // from the signature's signed attributes (or /M)
    bool valid = false;           // the byte range is sound and the CMS verifies over it
    bool wholeFile = false;       // the range covers the whole file but the signature's own value
    // Bytes added after the range ends (later revisions, such as a later signature).
    size_t bytesAfter = 0;
    std::string problem;  // why it is not valid
};

// Checks every signature of a PDF. False with *error when the file cannot be read as a PDF;
// true otherwise, also when there is no signature or one is invalid (see the checks).
bool VerifyPdf(const std::string& bytes, std::vector<SignatureCheck>* checks, std::string* error);

// A text for the signature block: "YYYY-MM-DD HH:MM:SS +hh:mm" in local time.
std::string SigningTimeText(std::time_t when);

}  // namespace qx
