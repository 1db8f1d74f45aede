// The about box reached from the system menu.
#pragma once

#include "ui/dialog.h"

class CAboutDlg : public ui::Dialog {
public:
    CAboutDlg();

protected:
    BOOL OnInitDialog() override;
};
