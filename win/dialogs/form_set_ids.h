// Resource ids of the drawing settings dialog's template (form_set.rc) and its view; also read by the tests.
#pragma once

#define IDD_FORM_SET 1200
// CommandOK and CommandCancel are IDOK and IDCANCEL, so that Enter and Esc reach them.
#define IDC_FORM_SET_UC1 1201
#define IDC_FORM_SET_UC2 1202
#define IDC_FORM_SET_UC3 1203
#define IDC_FORM_SET_TEXT_BOX_COL 1204
#define IDC_FORM_SET_TEXT_BOX_ROW 1205
#define IDC_FORM_SET_CHECK_ADD_FILE 1206
#define IDC_FORM_SET_TEXT_FILE_NAME 1207
#define IDC_FORM_SET_CB_FILE_ADD 1208
#define IDC_FORM_SET_FRAME1 1209
#define IDC_FORM_SET_IMAGE_VIEW 1210
#define IDC_FORM_SET_TEXT_BOX_ZHX 1211
#define IDC_FORM_SET_TEXT_BOX_ZHY 1212
#define IDC_FORM_SET_TEXT_BOX_ZHSIZE 1213
#define IDC_FORM_SET_TEXT5 1214
#define IDC_FORM_SET_COMBO_HEIGHT_MODEL 1215
#define IDC_FORM_SET_TEXT_BOX_HEIGHT_DIGIT 1216
#define IDC_FORM_SET_TEXT_BOX_HEIGHT_SIZE 1217
#define IDC_FORM_SET_TEXT_BOX_DRAW_D 1218
// LabelInfo(i) is IDC_FORM_SET_LABEL_INFO + i, for i in 0 to 7, 9, 10, 11.
#define IDC_FORM_SET_LABEL_INFO 1230
