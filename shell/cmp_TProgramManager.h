// The Program Manager client: one DDE conversation with PROGMAN / PROGMAN, the command
// strings that create groups and add or replace items, and the group data that Program
// Manager sends back for a group request.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "framework/classes.h"
#include "framework/eai.h"

namespace platform::dde {
class Conversation;
}

class EAIPMError : public EAI {
public:
    EAIPMError();
    explicit EAIPMError(std::string message) : EAI(std::move(message)) {}
};

class EAIPMCannotOpen : public EAIPMError {
public:
    EAIPMCannotOpen();
};

class EAIPMCannotOpenGroup : public EAIPMError {
public:
    explicit EAIPMCannotOpenGroup(std::string groupName);
    std::string GroupName;
};

class EAIPMCannotCreateGroup : public EAIPMError {
public:
    explicit EAIPMCannotCreateGroup(std::string groupName);
    std::string GroupName;
};

class EAIPMCannotAddItem : public EAIPMError {
public:
    EAIPMCannotAddItem(std::string groupName, std::string itemName, std::string arguments);
    std::string GroupName;
    std::string ItemName;
    std::string Arguments;
};

class EAIPMCannotReplaceItem : public EAIPMError {
public:
    EAIPMCannotReplaceItem(std::string groupName, std::string itemName);
    std::string GroupName;
    std::string ItemName;
};

// A command longer than the 255 characters that Program Manager takes; nothing is sent.
class EAIPMCommandTooLong : public EAIPMError {
public:
    explicit EAIPMCommandTooLong(std::string command);
    std::string Command;
};

class TProgramManager : public TComponent {
    ZARN_CLASS(TProgramManager, TComponent)
public:
    // The longest command text Program Manager is handed.
    static constexpr std::size_t MaxCommandLength = 255;

    explicit TProgramManager(TComponent* owner);
    ~TProgramManager() override;

    bool Connected() const { return connected_; }
    const std::string& CurrentGroup() const { return currentGroup_; }
    TStrings* GroupLines() const { return groupLines_.get(); }

    // Opens the conversation unless it is open; EAIPMCannotOpen when it cannot.
    void Open();
    void CreateGroup(const std::string& name);
    void SelectGroup(const std::string& name);
    void AddItem(const std::string& commandLine, const std::string& name,
                 const std::string& iconPath, std::int32_t iconIndex,
                 const std::string& defaultDir, const std::string& hotKey);
    void ReplaceItem(const std::string& name);
    // Removes the item `name` from the current group; false when Program Manager refuses.
    bool DeleteItem(const std::string& name);

    int ItemCount() const;
    int IndexOfItem(const std::string& name) const;
    std::string GetItemField(int index, int position) const;
    std::string ItemName(int index) const;
    std::string ItemCommandLine(int index) const;
    std::string ItemDefaultDir(int index) const;
    std::string ItemIconPath(int index) const;
    std::string ItemXPos(int index) const;
    std::string ItemYPos(int index) const;
    std::string ItemIconIndex(int index) const;
    std::string ItemHotKey(int index) const;

private:
    // Sends one command; false when the execute fails. Longer commands than
    // MaxCommandLength raise EAIPMCommandTooLong before anything is sent.
    bool Execute(const std::string& command);
    void ShowCurrentGroup();

    bool connected_ = false;
    std::unique_ptr<platform::dde::Conversation> conversation_;
    std::string currentGroup_;
    std::unique_ptr<TStringList> groupLines_;
};

// The shared instance, created by InitProgramManager (nil before).
extern TProgramManager* ProgramManager;

// Start-up of the unit: initialises the DDE management library for the process (an
// Exception when it fails) and creates ProgramManager. Later calls do nothing.
void InitProgramManager();
