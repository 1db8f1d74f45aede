// The time-outs of every WinHTTP and WinINet handle, in milliseconds.
#pragma once

#include <windows.h>

struct NetworkTimeouts {
    DWORD resolve;  // name resolution (WinHTTP only: WinINet has no such option)
    DWORD connect;  // TCP connection
    DWORD send;     // each send, the request included
    DWORD receive;  // each wait for data: the TLS handshake, the headers, every read
};

// Long enough for a slow server that keeps answering; short enough that a silent one
// cannot hold a transfer, or the closing wizard, for minutes.
constexpr NetworkTimeouts kDefaultNetworkTimeouts = {15000, 20000, 30000, 30000};

// The time-outs transfers use: the defaults, unless a test shortened them before its first
// transfer.
NetworkTimeouts& TransferTimeouts();
