// Shell links and link groups: shortcut files written through the shell's link object or
// Program Manager items sent over DDE, the menu folders that hold them, and their roles.
// Destination kinds, the folder lookups and the path resolver come from install/.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "install/cmp_TInstallContainer.h"

class TShellLinkGroup;

enum class TShellLinkKind : std::uint8_t {
    lkCustom,
    lkMainExecutable,
    lkLinkToSubFolder,
    lkLinkInSubFolder,
    lkLinkInMainFolder,
};
enum class TShellGroupKind : std::uint8_t { gkCustom, gkMainFolder, gkMainSubFolder };
enum class TMethodType : std::uint8_t { mtAutoDetect, mtShellLinkInterface, mtProgramManager };

const std::vector<std::string>& ShellLinkKindNames();
const std::vector<std::string>& ShellGroupKindNames();
const std::vector<std::string>& MethodTypeNames();

// COM could not be initialised for a link.
class ESHELLCannotInitialize : public Exception {
public:
    explicit ESHELLCannotInitialize(std::int32_t errorCode);
    std::int32_t ErrorCode;
};

// The longest target or shortcut path handed to the shell link object.
constexpr std::size_t MaxLinkPathLength = 255;

// ---------------------------------------------------------------------------------------

class TInstallShellLink : public TBaseHelperComponent {
    ZARN_CLASS(TInstallShellLink, TBaseHelperComponent)
public:
    explicit TInstallShellLink(TComponent* owner);
    ~TInstallShellLink() override;

    std::uint16_t HotKey() const { return hotKey_; }
    void SetHotKey(std::uint16_t v) { hotKey_ = v; }
    TShellLinkKind LinkKind() const { return linkKind_; }
    std::string LinkName() const { return linkName_; }
    TMethodType Method() const { return method_; }
    void SetMethod(TMethodType m) { method_ = m; }
    TInstallContainer* ObjectLink() const { return objectLink_; }
    std::string ObjectLocation() const { return objectLocation_; }
    TPathSpecifiers ObjectLocationType() const { return objectLocationType_; }
    std::string Parameters() const { return parameters_; }
    void SetParameters(const std::string& p) { parameters_ = p; }
    bool ComInitialized() const { return comInitialized_; }

    virtual void SetLinkName(const std::string& value);
    virtual void SetObjectLocation(const std::string& value);
    virtual void SetObjectLocationType(TPathSpecifiers value);
    virtual void SetObjectLink(TInstallContainer* value);
    virtual void SetLinkKind(TShellLinkKind value);
    virtual std::string GetObjectLocation();
    virtual void InitializeCom();
    virtual void InstallWithProgramManager();
    virtual void InstallWithShellLink();

    void ContainerDestroyed(TInstallContainer* obj) override;
    void SetContainer(TInstallContainer* value) override;
    void SetDestDirType(TPathSpecifiers value) override;
    void Install() override;
    void WriteUninstallInfo(const std::string& key) override;

    // The full path of the shortcut file.
    std::string ShortcutPath();

private:
    friend class TShellLinkGroup;
    bool HasRole() const;
    std::uint16_t hotKey_ = 0;
    TShellLinkKind linkKind_ = TShellLinkKind::lkCustom;
    std::string linkName_;
    TMethodType method_ = TMethodType::mtAutoDetect;
    TInstallContainer* objectLink_ = nullptr;
    std::string objectLocation_;
    TPathSpecifiers objectLocationType_ = TPathSpecifiers::ddAbsolute;
    std::string parameters_;
    bool comInitialized_ = false;
};

class TShellLinkGroup : public TBaseHelperComponent {
    ZARN_CLASS(TShellLinkGroup, TBaseHelperComponent)
public:
    explicit TShellLinkGroup(TComponent* owner);
    ~TShellLinkGroup() override;

    TShellGroupKind GroupKind() const { return groupKind_; }
    virtual void SetGroupKind(TShellGroupKind value);

    void ContainerDestroyed(TInstallContainer* obj) override;
    void SetContainer(TInstallContainer* value) override;
    void SetDestDirType(TPathSpecifiers value) override;
    void Install() override;

private:
    friend class TInstallShellLink;
    TShellGroupKind groupKind_ = TShellGroupKind::gkCustom;
};

// Role lookups over the live install containers: the last one that matches, or nil.
TShellLinkGroup* FindMainFolder();
TShellLinkGroup* FindMainSubFolder();
TInstallShellLink* FindMainExecutableLink();
TInstallShellLink* FindLinkToSubFolder();

// Registers TInstallShellLink, TShellLinkGroup and TUninstallEXE for form descriptions.
void RegisterShellClasses();
