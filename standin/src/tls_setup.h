#pragma once
// The stand-in's own certificate authority and the web host's certificate. The authority is
// made once and kept in the state folder, so that a client can trust it across runs; the
// server certificate is issued anew at every start for the names given. Runs at start on the
// caller's thread.

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <memory>
#include <string>
#include <vector>

namespace quillo::standin {

struct TlsMaterial {
    std::string ca_certificate; // the file a client trusts
    std::shared_ptr<X509> server_certificate;
    std::shared_ptr<EVP_PKEY> server_key;
};

// Throws std::runtime_error when the state folder cannot be written or OpenSSL fails.
// dns_names go into the certificate's subjectAltName, together with the address 127.0.0.1.
// The server certificate stays in memory, so stand-ins sharing a state folder do not mix
// their keys.
TlsMaterial PrepareTls(const std::string& state_dir, const std::vector<std::string>& dns_names);

} // namespace quillo::standin
