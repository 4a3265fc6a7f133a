// The Program Manager client.
#include "shell/cmp_TProgramManager.h"

#include "localisation/cmp_TTranslator.h"
#include "platform/dde.h"

namespace {

constexpr const char* Service = "PROGMAN";
constexpr const char* Topic = "PROGMAN";

// Doubles every '%' so that a text inserted into a format string stays literal.
std::string EscapePercent(const std::string& s) {
    std::string out;
    for (char c : s) {
        out += c;
        if (c == '%') out += '%';
    }
    return out;
}

std::string StripQuotes(std::string s) {
    if (s.size() > 1 && s.front() == '"') s.erase(0, 1);
    if (!s.empty() && s.back() == '"') s.pop_back();
    return s;
}

}  // namespace

EAIPMError::EAIPMError()
    : EAI(TranslateText("The TProgramManager object was unable to communicate with Program Manager")) {}

EAIPMCannotOpen::EAIPMCannotOpen()
    : EAIPMError(TranslateText(
          "The TProgramManager object was unable to establish a link with Program Manager")) {}

EAIPMCannotOpenGroup::EAIPMCannotOpenGroup(std::string groupName)
    : EAIPMError(TranslateText("The TProgramManager object was unable to open the following "
                               "program group: ") +
                 groupName),
      GroupName(std::move(groupName)) {}

EAIPMCannotCreateGroup::EAIPMCannotCreateGroup(std::string groupName)
    : EAIPMError(TranslateText("The TProgramManager object was unable to create the following "
                               "program group: ") +
                 groupName),
      GroupName(std::move(groupName)) {}

EAIPMCannotAddItem::EAIPMCannotAddItem(std::string groupName, std::string itemName,
                                       std::string arguments)
    : EAIPMError(Format(
          TranslateText("The TProgramManager object was unable to add the following program item: " +
                        EscapePercent(itemName) + " to the following group: %s. The arguments passed to " +
                        " Program Manager were: %s"),
          {groupName, arguments})),
      GroupName(std::move(groupName)),
      ItemName(std::move(itemName)),
      Arguments(std::move(arguments)) {}

EAIPMCannotReplaceItem::EAIPMCannotReplaceItem(std::string groupName, std::string itemName)
    : EAIPMError(Format(
          TranslateText("The TProgramManager object was unable to replace the following program item: %s"
                        " to the following group: %s"),
          {itemName, groupName})),
      GroupName(std::move(groupName)),
      ItemName(std::move(itemName)) {}

EAIPMCommandTooLong::EAIPMCommandTooLong(std::string command)
    : EAIPMError(Format(TranslateText("The TProgramManager object cannot send a command of more than "
                                      "255 characters to Program Manager: %s"),
                        {command})),
      Command(std::move(command)) {}

ZARN_DEFINE_CLASS(TProgramManager, TComponent, [](TClassBuilder<TProgramManager>&) {})

TProgramManager* ProgramManager = nullptr;

void InitProgramManager() {
    if (ProgramManager) return;
    platform::UINT r = platform::dde::Initialize();
    if (r != 0)
        throw Exception(Format("Could not initialise the DDE management library (error %d)",
                               {static_cast<long long>(r)}));
    ProgramManager = new TProgramManager(nullptr);
}

TProgramManager::TProgramManager(TComponent* owner)
    : TComponent(owner),
      conversation_(std::make_unique<platform::dde::Conversation>()),
      groupLines_(std::make_unique<TStringList>()) {}

TProgramManager::~TProgramManager() {
    groupLines_.reset();
    if (connected_) conversation_->Disconnect();
    conversation_.reset();
}

void TProgramManager::Open() {
    if (connected_) return;
    connected_ = conversation_->Connect(Service, Topic);
    if (!connected_) throw EAIPMCannotOpen();
}

bool TProgramManager::Execute(const std::string& command) {
    if (command.size() > MaxCommandLength) throw EAIPMCommandTooLong(command);
    return conversation_->Execute(command);
}

void TProgramManager::SelectGroup(const std::string& groupName) {
    const std::string name = groupName;  // may be CurrentGroup itself, cleared below
    Open();
    currentGroup_.clear();
    groupLines_->Clear();
    std::optional<std::string> text = conversation_->Request(name);
    if (text) {
        groupLines_->SetText(*text);
        currentGroup_ = name;
    }
}

void TProgramManager::CreateGroup(const std::string& name) {
    Open();
    if (name.empty()) return;
    if (!Execute("[CreateGroup(\"" + name + "\")]")) throw EAIPMCannotCreateGroup(name);
    SelectGroup(name);
}

void TProgramManager::ShowCurrentGroup() {
    if (!Execute("[ShowGroup(" + currentGroup_ + "," + "8)]"))
        throw EAIPMCannotOpenGroup(currentGroup_);
}

void TProgramManager::AddItem(const std::string& commandLine, const std::string& name,
                              const std::string& iconPath, std::int32_t iconIndex,
                              const std::string& defaultDir, const std::string& hotKey) {
    Open();
    if (currentGroup_.empty()) return;
    std::string command = "[AddItem(" + commandLine + "," + name + "," + iconPath + "," +
                          std::to_string(iconIndex) + "," + ",," + defaultDir + "," + hotKey + ")]";
    // Refuse a command that cannot be sent before anything reaches Program Manager.
    if (command.size() > MaxCommandLength) throw EAIPMCommandTooLong(command);
    ShowCurrentGroup();
    if (!Execute(command)) throw EAIPMCannotAddItem(currentGroup_, name, command);
    SelectGroup(currentGroup_);
}

void TProgramManager::ReplaceItem(const std::string& name) {
    Open();
    if (currentGroup_.empty()) return;
    std::string command = "[ReplaceItem(\"" + name + "\")]";
    if (command.size() > MaxCommandLength) throw EAIPMCommandTooLong(command);
    ShowCurrentGroup();
    if (!Execute(command)) throw EAIPMCannotReplaceItem(currentGroup_, name);
    SelectGroup(currentGroup_);
}

bool TProgramManager::DeleteItem(const std::string& name) {
    Open();
    if (currentGroup_.empty()) return false;
    std::string command = "[DeleteItem(\"" + name + "\")]";
    if (command.size() > MaxCommandLength) throw EAIPMCommandTooLong(command);
    ShowCurrentGroup();
    const bool done = Execute(command);
    SelectGroup(currentGroup_);
    return done;
}

int TProgramManager::ItemCount() const {
    int lines = groupLines_->Count();
    return lines < 2 ? 0 : lines - 1;
}

int TProgramManager::IndexOfItem(const std::string& name) const {
    for (int i = 1; i <= ItemCount(); ++i)
        if (ItemName(i) == name) return i;
    return -1;
}

std::string TProgramManager::GetItemField(int index, int position) const {
    if (index <= 0 || index > groupLines_->Count() - 1 || position < 1) return {};
    const std::string line = groupLines_->Get(index);
    std::size_t start = 0;
    for (int field = 1; field < position; ++field) {
        std::size_t comma = line.find(',', start);
        if (comma == std::string::npos) return {};
        start = comma + 1;
    }
    std::size_t end = line.find(',', start);
    std::string field = line.substr(start, end == std::string::npos ? std::string::npos : end - start);
    return StripQuotes(field);
}

std::string TProgramManager::ItemName(int index) const { return StripQuotes(GetItemField(index, 1)); }
std::string TProgramManager::ItemCommandLine(int index) const {
    return StripQuotes(GetItemField(index, 2));
}
std::string TProgramManager::ItemDefaultDir(int index) const { return GetItemField(index, 3); }
std::string TProgramManager::ItemIconPath(int index) const { return GetItemField(index, 4); }
std::string TProgramManager::ItemXPos(int index) const { return GetItemField(index, 5); }
std::string TProgramManager::ItemYPos(int index) const { return GetItemField(index, 6); }
std::string TProgramManager::ItemIconIndex(int index) const { return GetItemField(index, 7); }
std::string TProgramManager::ItemHotKey(int index) const { return GetItemField(index, 8); }
