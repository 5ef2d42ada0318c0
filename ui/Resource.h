#pragma once

// Identifiers of the main dialog's resources and controls.

inline constexpr unsigned IDD_MAIN = 102;

inline constexpr int IDC_STATIC = -1;
inline constexpr int IDC_DIRECTORY = 1000;
inline constexpr int IDC_BROWSE = 1001;
inline constexpr int IDC_CALC = 1004;
inline constexpr int IDC_PROJECTS = 1005;
inline constexpr int IDC_ADD = 1006;
inline constexpr int IDC_ABOUT = 1007;
inline constexpr int IDC_PROGRESS_ALL = 1008;
inline constexpr int IDC_PROGRESS_PROJECT = 1009;
inline constexpr int IDC_DELETE = 1010;
inline constexpr int IDC_SELECT_ALL = 1011;
inline constexpr int IDC_DESELECT_ALL = 1012;
inline constexpr int IDC_HTML_EXPORT = 1015;
inline constexpr int IDC_RESULTS = 1016;
inline constexpr int IDC_UPDATE = 1017;
inline constexpr int IDC_HINT_FRAME = 42000;
inline constexpr int IDC_HINT_TEXT = 42001;

// Pindrel's own messages in the string table.
inline constexpr unsigned IDS_NO_VALID_FILES = 200;
inline constexpr unsigned IDS_PROJECTS_NOT_STORED = 201;
inline constexpr unsigned IDS_TOO_MANY_PROJECTS = 202;
inline constexpr unsigned IDS_ENTRY_HAS_LINE_BREAK = 203;
inline constexpr unsigned IDS_EXPORT_FAILED = 204;
inline constexpr unsigned IDS_ENTRIES_LEFT_OUT = 210;

// Accessible names of the controls whose caption does not say what they are.
inline constexpr unsigned IDS_ACC_NAME_DIRECTORY = 300;
inline constexpr unsigned IDS_ACC_NAME_BROWSE = 301;
inline constexpr unsigned IDS_ACC_NAME_PROJECTS = 302;
inline constexpr unsigned IDS_ACC_NAME_RESULTS = 303;
inline constexpr unsigned IDS_ACC_NAME_PROGRESS_ALL = 304;
inline constexpr unsigned IDS_ACC_NAME_PROGRESS_PROJECT = 305;
// Accessible descriptions, one per control.
inline constexpr unsigned IDS_ACC_DESC_DIRECTORY = 320;
inline constexpr unsigned IDS_ACC_DESC_BROWSE = 321;
inline constexpr unsigned IDS_ACC_DESC_PROJECTS = 322;
inline constexpr unsigned IDS_ACC_DESC_RESULTS = 323;
inline constexpr unsigned IDS_ACC_DESC_PROGRESS_ALL = 324;
inline constexpr unsigned IDS_ACC_DESC_PROGRESS_PROJECT = 325;
inline constexpr unsigned IDS_ACC_DESC_ADD = 326;
inline constexpr unsigned IDS_ACC_DESC_UPDATE = 327;
inline constexpr unsigned IDS_ACC_DESC_DELETE = 328;
inline constexpr unsigned IDS_ACC_DESC_SELECT_ALL = 329;
inline constexpr unsigned IDS_ACC_DESC_DESELECT_ALL = 330;
inline constexpr unsigned IDS_ACC_DESC_CALC = 331;
inline constexpr unsigned IDS_ACC_DESC_CLOSE = 332;
inline constexpr unsigned IDS_ACC_DESC_HTML_EXPORT = 333;
inline constexpr unsigned IDS_ACC_DESC_ABOUT = 334;
