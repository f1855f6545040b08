// Resource ids of the CAD plug-in installation dialog's template (form_cad.rc) and its view; also read by the tests.
#pragma once

#define IDD_FORM_CAD 1400
#define IDC_FORM_CAD_UC1 1401
#define IDC_FORM_CAD_USER_CONTROL11 1402
#define IDC_FORM_CAD_TEXT_FILE_NAME 1403
#define IDC_FORM_CAD_CB_FILE_ADD 1404
// CmdInstall(i) is IDC_FORM_CAD_CMD_INSTALL + i, for i in 0, 1.
#define IDC_FORM_CAD_CMD_INSTALL 1410
// LabelInfo(6) is IDC_FORM_CAD_LABEL_INFO + 6.
#define IDC_FORM_CAD_LABEL_INFO 1420
// Labelhelp(i) is IDC_FORM_CAD_LABEL_HELP + i, for i in 0 to 4.
#define IDC_FORM_CAD_LABEL_HELP 1430
