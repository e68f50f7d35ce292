#pragma once

#include <array>
#include <span>
#include <string_view>

namespace korvath {

// Texts of the main window that are not bound to a field: title, messages and menus. Both
// editions read them.

inline constexpr std::string_view kWindowTitle = "Korvath";
inline constexpr std::string_view kReadError = "ファイル読込エラー";
inline constexpr std::string_view kWriteError = "ファイル書込エラー";
inline constexpr std::string_view kUnitEditorTitle = "部隊エディタ";
inline constexpr std::string_view kDumpTitle = "16進ダンプ";
inline constexpr std::string_view kAboutTitle = "バージョン情報";
// The about box's lines: product name, title line, version line.
inline constexpr std::array<std::string_view, 3> kAboutLines = {
    "KorvathEdit", "Korvath セーブデータエディタ", "Ver 0.0.5"};
// After the title while the working copy differs from the file, where the desktop's window
// manager draws its own mark.
inline constexpr std::string_view kUnsavedMark = "*";

// Shortcut in the portable text form ("Ctrl+Shift+Z"); several are separated by ", ".
struct MenuItemDefinition {
  std::string_view Name;
  std::string_view Caption;  // "&" marks the access key
  std::string_view Shortcut;
  bool NeedsFile;  // disabled until the first successful open
};
struct MenuDefinition {
  std::string_view Name;
  std::string_view Caption;
  std::span<const MenuItemDefinition> Items;
};

inline constexpr std::array<MenuItemDefinition, 8> kFileMenuItems = {{
    {"FilleOpenMenu", "開く(&O)...", "Ctrl+O", false},
    {"FileSaveMenu", "保存(&S)", "Ctrl+S", true},
    {"FileCompareMenu", "比較(&C)...", "", true},
    {"FileNextDiffMenu", "次の相違", "F3", true},
    {"FilePrevDiffMenu", "前の相違", "Shift+F3", true},
    {"FileCompareEndMenu", "比較を終了", "", true},
    {"FileBackupMenu", "バックアップ(&B)...", "", true},
    {"FileExitMenu", "終了(&X)", "", false},
}};
inline constexpr std::array<MenuItemDefinition, 2> kEditMenuItems = {{
    {"EditUndoMenu", "元に戻す(&U)", "Ctrl+Z", false},
    {"EditRedoMenu", "やり直し(&R)", "Ctrl+Y, Ctrl+Shift+Z", false},
}};
inline constexpr std::array<MenuItemDefinition, 2> kViewMenuItems = {{
    {"ViewUnitEditMenu", "部隊エディタ(&U)", "", true},
    {"ViewDumpManu", "16進ダンプ(&H)", "", true},
}};
inline constexpr std::array<MenuItemDefinition, 1> kHelpMenuItems = {{
    {"HelpAboutMenu", "バージョン情報(&A)...", "", false},
}};
inline constexpr std::array<MenuDefinition, 4> kMainMenus = {{
    {"FileMenu", "ファイル(&F)", kFileMenuItems},
    {"EditMenu", "編集(&E)", kEditMenuItems},
    {"ViewMenu", "表示(&V)", kViewMenuItems},
    {"HelpMenu", "ヘルプ(&H)", kHelpMenuItems},
}};

// The caption of a menu or menu item by its name; empty for an unknown name.
constexpr std::string_view MenuCaption(std::string_view name) {
  for (const MenuDefinition& menu : kMainMenus) {
    if (menu.Name == name) return menu.Caption;
    for (const MenuItemDefinition& item : menu.Items) {
      if (item.Name == name) return item.Caption;
    }
  }
  return {};
}

// Asked before unsaved changes would be dropped, with its three answers.
inline constexpr std::string_view kSaveChangesQuestion = "変更を保存しますか?";
inline constexpr std::string_view kSaveAnswer = "保存";
inline constexpr std::string_view kDiscardAnswer = "保存しない";
inline constexpr std::string_view kCancelAnswer = "キャンセル";
// Asked before a save would write over bytes another program wrote; %1 is the file name.
inline constexpr std::string_view kOverwriteQuestion =
    "ファイル %1 は開いた後に変更されています。上書きしますか?";
inline constexpr std::string_view kOverwriteAnswer = "上書き保存";

// The list of a save's backups: title, column headings and commands.
inline constexpr std::string_view kBackupsTitle = "バックアップ";
inline constexpr std::array<std::string_view, 2> kBackupColumns = {"時刻", "相違"};
inline constexpr std::string_view kBackupCompare = "比較";
inline constexpr std::string_view kBackupDownload = "ダウンロード";
inline constexpr std::string_view kBackupRestore = "復元";
inline constexpr std::string_view kNoBackups = "バックアップはまだありません。";

// Texts only the browser edition shows: it asks for the label files, where the desktop finds
// them in folders, and offers the demo it carries.
struct WebText {
  std::string_view Key;
  std::string_view Text;
};
// %1, %2 stand for what the page fills in.
inline constexpr std::array<WebText, 18> kWebTexts = {{
    {"demo", "デモを開く"},
    {"labels", "ラベルファイル"},
    {"chooseLabels", "ラベルファイルを選ぶ..."},
    {"chooseLabelFolder", "ラベルのフォルダを選ぶ..."},
    {"forgetLabels", "ラベルを忘れる"},
    {"labelPrompt",
     "セーブデータの計画・兵器・パイロット・エリア・階級・特別プランは番号で記録されています。"
     "その名前を書いたラベルファイル 6 個 (plan.txt, unit.txt, pilot.txt, area.txt, class.txt, "
     "special.txt) を最初に選んでください (まとめて選ぶか、入っているフォルダを選びます)。"
     "選んだファイルはこの端末のこのブラウザの中にだけ保存され、次からは聞かれません。"},
    {"dropHint", "ラベルを選んだ後、セーブファイル (.bin) を開く、またはここにドロップします。"},
    {"close", "閉じる"},
    {"labelsFirst", "先にラベルファイル 6 個を選んでください。セーブファイルはその後で開けます。"},
    {"labelsKept", "前のラベルをそのまま使います。"},
    {"labelsNone", "ラベル: なし"},
    {"labelsDemo", "ラベル: デモ"},
    {"labelsStored", "ラベル: 保存済み %1 ファイル"},
    {"labelsNotKept", "ラベル: 選んだ %1 ファイル (このブラウザに保存できませんでした)"},
    {"droppedFolder",
     "フォルダ「%1」はセーブファイルとして開けません。セーブファイル (.bin) を 1 "
     "つドロップしてください。"},
    {"droppedSeveral",
     "%1 個のファイルがドロップされました (%2)。セーブファイルは 1 つずつ開いてください。"},
    {"downloaded", "%1 をダウンロードしました。ゲームのセーブファイルと置き換えてください。"},
    {"noBackup", "バックアップを残せませんでした: %1"},
}};

}  // namespace korvath
