#include "tls_setup.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>

namespace quillo::standin {

namespace {

struct Deleter {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
    void operator()(X509* cert) const { X509_free(cert); }
    void operator()(X509_EXTENSION* ext) const { X509_EXTENSION_free(ext); }
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using Key = std::unique_ptr<EVP_PKEY, Deleter>;
using Cert = std::unique_ptr<X509, Deleter>;

[[noreturn]] void Fail(const std::string& what) {
    throw std::runtime_error("TLS set-up: " + what);
}

Key NewKey() {
    Key key(EVP_EC_gen("P-256"));
    if (!key) {
        Fail("cannot make a key");
    }
    return key;
}

void AddExtension(X509* cert, X509* issuer, int nid, const std::string& value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer, cert, nullptr, nullptr, 0);
    std::unique_ptr<X509_EXTENSION, Deleter> extension(
        X509V3_EXT_conf_nid(nullptr, &context, nid, value.c_str()));
    if (!extension || X509_add_ext(cert, extension.get(), -1) != 1) {
        Fail("cannot add extension " + value);
    }
}

Cert NewCertificate(EVP_PKEY* key, const std::string& common_name, long days) {
    Cert cert(X509_new());
    X509_set_version(cert.get(), 2);
    unsigned char serial[16];
    RAND_bytes(serial, sizeof serial);
    serial[0] &= 0x7F;
    BIGNUM* number = BN_bin2bn(serial, sizeof serial, nullptr);
    BN_to_ASN1_INTEGER(number, X509_get_serialNumber(cert.get()));
    BN_free(number);
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), -24L * 60 * 60);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), days * 24L * 60 * 60);
    X509_set_pubkey(cert.get(), key);
    X509_NAME* name = X509_get_subject_name(cert.get());
    X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("Quillo stand-in"), -1, -1,
                               0);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>(common_name.c_str()), -1, -1,
                               0);
    return cert;
}

void WriteAtomically(const std::filesystem::path& path, bool secret,
                     const std::function<bool(std::FILE*)>& write) {
    const std::filesystem::path temporary = path.string() + ".tmp";
    {
        std::unique_ptr<std::FILE, Deleter> file(std::fopen(temporary.c_str(), "wb"));
        if (!file) {
            Fail("cannot write " + temporary.string());
        }
        if (secret) {
            std::filesystem::permissions(temporary, std::filesystem::perms::owner_read |
                                                        std::filesystem::perms::owner_write);
        }
        if (!write(file.get())) {
            Fail("cannot write " + temporary.string());
        }
    }
    std::filesystem::rename(temporary, path);
}

void WriteKey(const std::filesystem::path& path, EVP_PKEY* key) {
    WriteAtomically(path, true, [&](std::FILE* file) {
        return PEM_write_PrivateKey(file, key, nullptr, nullptr, 0, nullptr, nullptr) == 1;
    });
}

void WriteCert(const std::filesystem::path& path, X509* cert) {
    WriteAtomically(path, false, [&](std::FILE* file) { return PEM_write_X509(file, cert) == 1; });
}

template <typename T, typename Read>
T ReadPem(const std::filesystem::path& path, Read read) {
    std::unique_ptr<std::FILE, Deleter> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        return T();
    }
    return T(read(file.get(), nullptr, nullptr, nullptr));
}

} // namespace

// Holds an exclusive lock on a file while it lives: two stand-ins starting together in one
// state folder must not both make an authority.
class FolderLock {
public:
    explicit FolderLock(const std::filesystem::path& path)
        : fd_(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
        if (fd_ < 0 || ::flock(fd_, LOCK_EX) != 0) {
            Fail("cannot lock " + path.string());
        }
    }
    ~FolderLock() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int fd_;
};

TlsMaterial PrepareTls(const std::string& state_dir, const std::vector<std::string>& dns_names) {
    const std::filesystem::path dir(state_dir);
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error) {
        Fail("cannot make the state folder " + state_dir + ": " + error.message());
    }
    const FolderLock lock(dir / "ca.lock");
    const auto ca_cert_path = dir / "ca.pem";
    const auto ca_key_path = dir / "ca.key";
    Key ca_key = ReadPem<Key>(ca_key_path, PEM_read_PrivateKey);
    Cert ca_cert = ReadPem<Cert>(ca_cert_path, PEM_read_X509);
    if (!ca_key || !ca_cert || X509_check_private_key(ca_cert.get(), ca_key.get()) != 1) {
        ca_key = NewKey();
        ca_cert = NewCertificate(ca_key.get(), "Quillo stand-in authority", 3650);
        X509_set_issuer_name(ca_cert.get(), X509_get_subject_name(ca_cert.get()));
        AddExtension(ca_cert.get(), ca_cert.get(), NID_basic_constraints, "critical,CA:TRUE");
        AddExtension(ca_cert.get(), ca_cert.get(), NID_key_usage, "critical,keyCertSign,cRLSign");
        AddExtension(ca_cert.get(), ca_cert.get(), NID_subject_key_identifier, "hash");
        if (X509_sign(ca_cert.get(), ca_key.get(), EVP_sha256()) == 0) {
            Fail("cannot sign the authority");
        }
        WriteKey(ca_key_path, ca_key.get());
        WriteCert(ca_cert_path, ca_cert.get());
    }

    Key server_key = NewKey();
    const std::string common_name = dns_names.empty() ? "localhost" : dns_names.front();
    Cert server_cert = NewCertificate(server_key.get(), common_name, 397);
    X509_set_issuer_name(server_cert.get(), X509_get_subject_name(ca_cert.get()));
    std::string alt_names;
    for (const std::string& name : dns_names) {
        alt_names += "DNS:" + name + ",";
    }
    alt_names += "IP:127.0.0.1";
    AddExtension(server_cert.get(), ca_cert.get(), NID_basic_constraints, "critical,CA:FALSE");
    AddExtension(server_cert.get(), ca_cert.get(), NID_key_usage,
                 "critical,digitalSignature,keyEncipherment");
    AddExtension(server_cert.get(), ca_cert.get(), NID_ext_key_usage, "serverAuth");
    AddExtension(server_cert.get(), ca_cert.get(), NID_subject_alt_name, alt_names);
    AddExtension(server_cert.get(), ca_cert.get(), NID_authority_key_identifier, "keyid:always");
    if (X509_sign(server_cert.get(), ca_key.get(), EVP_sha256()) == 0) {
        Fail("cannot sign the server certificate");
    }
    TlsMaterial material;
    material.ca_certificate = ca_cert_path.string();
    material.server_certificate = std::shared_ptr<X509>(server_cert.release(), X509_free);
    material.server_key = std::shared_ptr<EVP_PKEY>(server_key.release(), EVP_PKEY_free);
    return material;
}

} // namespace quillo::standin
