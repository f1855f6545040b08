// Resource ids of the volume sheet dialog's template (form_draw_v_sheet.rc) and its view; also read by the tests.
#pragma once

#define IDD_FORM_DRAW_V_SHEET 1300
// CommandOK and CommandCancel are IDOK and IDCANCEL, so that Enter and Esc reach them.
#define IDC_FORM_DRAW_V_SHEET_UC1 1301
#define IDC_FORM_DRAW_V_SHEET_COMBO_V_MODE 1302
#define IDC_FORM_DRAW_V_SHEET_COMBO_HDM_NUMBER 1303
#define IDC_FORM_DRAW_V_SHEET_TEXT_DRAW_DM_NUMBER 1304
// LabelInfo(i) is IDC_FORM_DRAW_V_SHEET_LABEL_INFO + i, for i in 0, 1, 6, 7, 11.
#define IDC_FORM_DRAW_V_SHEET_LABEL_INFO 1310
