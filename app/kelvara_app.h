// The application object: starts the libraries the wizard needs and runs the host dialog.
#pragma once

#include <windows.h>

class CKelvaraApp {
public:
    CKelvaraApp();
    ~CKelvaraApp();

    // Runs the wizard; returns the code the host dialog ended with, or 0 when it never ran.
    int Run();

private:
    ULONG_PTR m_gdiplusToken = 0;
};
