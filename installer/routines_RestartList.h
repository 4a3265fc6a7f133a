// The restart list: the work an installation leaves for after the next restart, kept in
// the registry so that it outlives the program, and worked off once by the restart
// program that a RunOnce entry starts.
//
//   HKLM (or, where the user may not write there, HKCU)
//     \Software\Zarn\RestartList\<product>    "Item1", "Item2", ... (REG_SZ)
//     \Software\Microsoft\Windows\CurrentVersion\RunOnce
//         "Zarn restart: <product>" = "<restart program>" "<product>"
//
// An item reads "KIND|TEXT" (kinds 1 and 2) or "0|NAME|PATH|STYLE" (kind 0: the install
// file's Name, its destination path and 0 for a DLL-style, 1 for an EXE-style server):
// the path and style are taken when the item is added, since the component does not
// exist after the restart. "|" cannot stand in a Windows file name.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "platform/registry.h"

struct TRestartItem {
    int kind = 0;
    std::string text;  // kind 0: the install file's Name; 1: a file; 2: a Program Manager item
    std::string path;  // kind 0: the server's path
    bool exeStyle = false;
};

// Where one product's list lives; empty until the first item is saved.
struct TRestartListStore {
    platform::HKEY root = 0;
    std::string product;
    // The restart program the RunOnce entry starts (filled in by LoadRestartList).
    std::string program;
    bool Assigned() const { return root != 0; }
};

inline constexpr const char* RestartListKey = "Software\\Zarn\\RestartList";
inline constexpr const char* RunOnceKey = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
// The name of the RunOnce value that starts the restart program for `product`.
std::string RestartRunOnceName(const std::string& product);

std::string FormatRestartItem(const TRestartItem& item);
// False for a text that is no item.
bool ParseRestartItem(const std::string& text, TRestartItem& item);

// Writes the whole list for `product` and the RunOnce entry that starts `program` with
// the product's name. Takes HKEY_LOCAL_MACHINE, or HKEY_CURRENT_USER where the first
// cannot be written; `store` remembers which for the next save. Raises EInOutError
// with the registry's code when neither can be written.
void SaveRestartList(TRestartListStore& store, const std::string& program, const std::vector<TRestartItem>& items);

// The list of `product` (from HKEY_LOCAL_MACHINE first, then HKEY_CURRENT_USER), in
// item order; items that cannot be read are left out. `store` says where it was found.
std::vector<TRestartItem> LoadRestartList(const std::string& product, TRestartListStore& store);
// Removes the list and its RunOnce entry.
void DeleteRestartList(const TRestartListStore& store);

// What working off one item came to.
struct TRestartOutcome {
    TRestartItem item;
    bool done = false;     // finished, or nothing left to do (its file had gone)
    bool retry = false;    // could not be done yet: keep it for the next restart
    std::string message;   // what went wrong (translated), empty when nothing did
};

// Works the list off, after the restart has done its exchanges: kind 0 registers the
// server at its path (a missing file is skipped); kind 1 removes a file, and for the
// batch file of the fallback first carries out its exchange where the batch has not run
// yet (a file still in use keeps the batch, its shortcut and their items for the next
// restart); kind 2 removes the Program Manager item from the "Startup" group.
std::vector<TRestartOutcome> WorkOffRestartList(const std::vector<TRestartItem>& items);
