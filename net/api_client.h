// JSON requests to the back end: HTTPS POSTs of a JSON body, always to port 443.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

// Request headers as (name, value) pairs, sent in this order.
using HeaderList = std::vector<std::pair<std::wstring, std::wstring>>;

// POSTs body to https://host:443/path with the headers, then "Expect: 100-continue" and
// "Content-Type: application/json". Appends the reply body (each chunk up to its first NUL)
// to reply and stores the status code in status. True when the request was sent and a
// response received, whatever its status; false also when the reply is larger than 4 MiB
// (reply then keeps only what it held before) or memory ran out. Every handle has the
// time-outs of TransferTimeouts (net/timeouts.h). Never throws; the few transfer problems
// it tolerates, and the reasons for a false, are written to standard output.
bool PostJson(const std::wstring& host, const std::wstring& path, const std::string& body,
              HeaderList headers, std::string& reply, DWORD& status);

// PostJson to the host and path of url (its scheme, port, query and fragment are not
// used). Returns true or throws KelvaraException, also on Windows 7 without a service pack.
bool PostJsonToUrl(const std::wstring& url, const std::string& body, const HeaderList& headers,
                   std::string& reply, DWORD& status);

// ("Authorization", "Signature=<SHA-256 of machine id + session id>") of this run.
std::pair<std::wstring, std::wstring> SignatureHeader();

// "Signature=" followed by the SHA-256 hex digest of machineId followed by sessionId.
std::wstring SignatureValue(const std::string& machineId, const std::string& sessionId);
