// Adds a DER-encoded certificate to the local machine's trusted root store, so that
// WinHTTP and WinINet inside a test Wine prefix trust the test back end.
//
//   import_ca.exe CERT.der
//
// Exit code 0 on success; otherwise 1 with a message on stderr.

#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace {

struct HandleCloser {
    void operator()(HANDLE h) const { CloseHandle(h); }
};
using FileHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

struct StoreCloser {
    void operator()(HCERTSTORE s) const { CertCloseStore(s, 0); }
};
using CertStore = std::unique_ptr<std::remove_pointer_t<HCERTSTORE>, StoreCloser>;

int Fail(const char* what, DWORD code) {
    std::fprintf(stderr, "import_ca: %s (error %lu, 0x%08lX)\n", what,
                 static_cast<unsigned long>(code), static_cast<unsigned long>(code));
    return 1;
}

// Reads the whole file; false with the Win32 error code when it cannot be read.
bool ReadWholeFile(const wchar_t* path, std::vector<BYTE>& bytes, DWORD& error) {
    HANDLE raw = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (raw == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        return false;
    }
    FileHandle file(raw);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) {
        error = GetLastError();
        return false;
    }
    if (size.QuadPart > 1024 * 1024) {  // no certificate is that large
        error = ERROR_FILE_TOO_LARGE;
        return false;
    }
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
        error = GetLastError();
        return false;
    }
    bytes.resize(read);
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: import_ca.exe CERT.der\n");
        return 1;
    }
    std::vector<BYTE> der;
    DWORD error = 0;
    if (!ReadWholeFile(argv[1], der, error)) return Fail("cannot read the certificate file", error);
    if (der.empty()) return Fail("the certificate file is empty", ERROR_INVALID_DATA);

    CertStore root(
        CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root"));
    if (!root) return Fail("cannot open the local machine Root store", GetLastError());

    if (!CertAddEncodedCertificateToStore(root.get(), X509_ASN_ENCODING | PKCS_7_ASN_ENCODING,
                                          der.data(), static_cast<DWORD>(der.size()),
                                          CERT_STORE_ADD_REPLACE_EXISTING, nullptr))
        return Fail("cannot add the certificate (is it DER-encoded?)", GetLastError());
    return 0;
}
