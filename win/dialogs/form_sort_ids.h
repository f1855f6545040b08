// Resource ids of the sort dialog's template (form_sort.rc) and its view; also read by the tests.
#pragma once

#define IDD_FORM_SORT 1100
// CommandOK and CommandCancel are IDOK and IDCANCEL, so that Enter and Esc reach them.
#define IDC_FORM_SORT_UC1 1101
#define IDC_FORM_SORT_CHECK_ADD_FILE 1102
#define IDC_FORM_SORT_TEXT_OFFSET 1103
#define IDC_FORM_SORT_CHECK_DISTANCE 1104
#define IDC_FORM_SORT_FRAME1 1105
#define IDC_FORM_SORT_IMAGE_VIEW 1106
#define IDC_FORM_SORT_TEXT_BOX_DISTANCE 1107
#define IDC_FORM_SORT_TEXT_FILE_NAME 1108
#define IDC_FORM_SORT_CB_FILE_ADD 1109
#define IDC_FORM_SORT_LABEL_INFO0 1110
#define IDC_FORM_SORT_LABEL_INFO6 1116
#define IDC_FORM_SORT_LABEL_INFO7 1117
