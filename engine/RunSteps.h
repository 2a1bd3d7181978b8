#pragma once
// The steps of a conversion run as its reports number them: a report names the run's
// place (ui::mainWindow::kStartClick) and the step that failed ("in
// ...Form1.PushButton7_Click at line 490"). Users and their support quote these numbers,
// so each keeps its value whatever the code around it becomes.

namespace velmora::runstep {

// Before the first table: the folder, the two table lists and both connections.
inline constexpr int kOfferFolderCopy = 104;
inline constexpr int kFolderHoldsNoTable = 118;
inline constexpr int kBusyPointer = 120;
inline constexpr int kListTargetTables = 126;
inline constexpr int kListSourceTables = 128;
inline constexpr int kSourceCursorLocation = 130;
inline constexpr int kSourceMode = 132;
inline constexpr int kOpenSource = 134;
inline constexpr int kTargetCursorLocation = 138;
inline constexpr int kOpenTarget = 140;

// Each table: its name, the first pass over its rows, the overwrite question, DROP TABLE.
inline constexpr int kPerTablePreviewFirst = 144;
inline constexpr int kClearStatementsFirst = 146;
inline constexpr int kClearTypeMappingsFirst = 148;
inline constexpr int kRenamedTarget = 160;
inline constexpr int kTargetAlreadyThere = 166;
inline constexpr int kAskOverwrite = 168;
inline constexpr int kPerTablePreviewAgain = 174;
inline constexpr int kClearStatementsAgain = 176;
inline constexpr int kClearTypeMappingsAgain = 178;
inline constexpr int kTableFileExists = 182;
inline constexpr int kDropTable = 188;
inline constexpr int kTableCaption = 192;
inline constexpr int kFirstPass = 194;
inline constexpr int kOpenSourceRows = 196;

// The table's definition: one type-mapping record and one column per field.
inline constexpr int kFieldCount = 210;
inline constexpr int kTypeMappingRecord = 212;
inline constexpr int kColumnName = 218;
inline constexpr int kUniqueColumnName = 222;
inline constexpr int kTypeLabel = 228;
inline constexpr int kColumnType = 230;
inline constexpr int kCreateTable = 358;
inline constexpr int kCreateIndex = 368;
// With the Access keys: the source's keys, and what of them the table cannot hold.
inline constexpr int kPlanKeys = 369;
inline constexpr int kKeysNotKept = 370;

// The table's rows: one INSERT per row.
inline constexpr int kAnyRows = 374;
inline constexpr int kRowCount = 376;
inline constexpr int kRowProgress = 386;
inline constexpr int kRowFieldCount = 394;
inline constexpr int kFieldLiteral = 398;
inline constexpr int kRowAnswer = 490;
inline constexpr int kNextRow = 492;
inline constexpr int kSourceEndedEarly = 495;
inline constexpr int kLastRow = 496;
inline constexpr int kRowsLost = 497;  // what a damaged source left out, told once
inline constexpr int kCloseSourceRows = 498;
inline constexpr int kSecondaryIndexes = 499;  // after the rows, with the Access keys
inline constexpr int kCommitTable = 500;
inline constexpr int kPerTablePreview = 502;
inline constexpr int kShowTablePreview = 506;
inline constexpr int kClearTableCaption = 510;
// With the rules: the relationships, once every table is written.
inline constexpr int kRelationshipRows = 512;
inline constexpr int kAddRelationship = 513;
inline constexpr int kRelationshipsPreview = 514;

// After the last table: the preview of the whole run, the verification, the end.
inline constexpr int kPerFilePreview = 516;
inline constexpr int kShowFilePreview = 520;
inline constexpr int kCloseTargetUnexecuted = 524;
inline constexpr int kCloseSourceUnexecuted = 526;
inline constexpr int kClearCaptionUnexecuted = 530;
inline constexpr int kVerify = 532;
inline constexpr int kCloseTarget = 534;
inline constexpr int kCloseSource = 536;
inline constexpr int kFinalMessage = 538;
inline constexpr int kResetProgress = 540;
inline constexpr int kClearCaption = 542;
inline constexpr int kPointerBack = 544;

}  // namespace velmora::runstep
