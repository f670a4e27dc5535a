// The fixture of the end-to-end tests: a fresh KeyfinchNT.exe started in a folder of its own,
// the handles of its windows, and the steps a user takes to run a search.
#pragma once

#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "Driver.h"

// From the command line: the program under test and the folder the tests work in.
extern std::wstring ProgramPath;
extern std::wstring WorkRoot;
// The stand-in registry editor, which a test can place beside the program under test.
extern std::wstring StandInPath;
// The stand-in of the other bitness (32-bit), when one was built.
extern std::wstring StandIn32Path;
// Set by --ansi: the program under test is the ANSI one, which has no date page.
extern bool ProgramIsAnsi;

typedef std::vector<std::vector<std::wstring>> TRows;

class TKeyfinch : public ::testing::Test {
protected:
    TApp App;
    HWND Main = nullptr;
    HWND Tab = nullptr;
    HWND SearchButton = nullptr;
    HWND AbortButton = nullptr;
    HWND NewButton = nullptr;
    HWND HistoryButton = nullptr;
    HWND List = nullptr;
    HWND Status = nullptr;
    HWND Progress = nullptr;
    HWND StringPage = nullptr;
    HWND LocationPage = nullptr;
    HWND DatePage = nullptr;
    // The registry subtree of this test, relative to HKEY_CURRENT_USER.
    std::wstring TestKey;
    // Set before Start: the stand-in editor goes beside the program, with these mode words.
    bool StandInBeside = false;
    std::wstring StandInWords;

    void SetUp() override;
    void TearDown() override;
    // Starts the program and finds its windows; false when it did not come up.
    bool Start();
    // Closes the program, which writes its settings, and starts it again in the same folder.
    bool Restart();
    // Runs the program prepared in App and finds its windows.
    bool Launch();
    // Finds the windows of the running program; false when one is missing.
    virtual bool FindWindows();
    // The settings file beside the program, and a whole new one written there before a start.
    std::wstring SettingsPath() const;
    void WriteSettings(const std::string& text) const;
    // The names of the file's sections in order, and the key=value lines of one of them.
    std::vector<std::wstring> SettingsSections() const;
    std::vector<std::wstring> SettingsLines(const std::wstring& section) const;

    HWND StringControl(int id) const { return GetDlgItem(StringPage, id); }
    HWND LocationControl(int id) const { return GetDlgItem(LocationPage, id); }
    HWND DateControl(int id) const { return GetDlgItem(DatePage, id); }
    std::wstring StatusPart(int part) const { return StatusText(App.Process, Status, part); }
    TRows Rows() const { return ListRows(App.Process, List, ProgramIsAnsi ? 4 : 5); }

    // Checks radio button 100, 101 or 102 of the location page, as a click on it would.
    void ChooseLocation(int radio);
    // Limits the search to one key below HKEY_CURRENT_USER, with or without its subkeys.
    void LookIn(const std::wstring& key, bool subkeys = true);
    // Types the search text and presses the Search button.
    void PressSearch(const std::wstring& text);
    // Waits until a search has ended and its hit count is shown.
    bool WaitForSearchEnd(DWORD timeoutMs = 60000) const;
    // PressSearch and WaitForSearchEnd.
    bool Search(const std::wstring& text);
    // LookIn the key with its subkeys, then Search.
    bool SearchIn(const std::wstring& key, const std::wstring& text)
    {
        LookIn(key);
        return Search(text);
    }
    // The texts of one column, top to bottom.
    std::vector<std::wstring> Column(int column) const
    {
        std::vector<std::wstring> texts;
        for (const auto& row : Rows())
            texts.push_back(row[column]);
        return texts;
    }
    // The warning the program shows now: its text, after checking its title, answered with OK.
    std::wstring AnswerWarning();
    // A picture of the screen under the work folder, to look at.
    void Screenshot(const std::wstring& name) const;
};

// The text a key's last-write time shows in the list.
std::wstring LocalTimeText(const FILETIME& utc);
