// The port's settings in a registry key or an ini file.
#include "ComTexts.h"
#include "EComPort.h"
#include "TCustomComPort.h"
#include "platform/Conversions.h"
#include "platform/TIniFile.h"
#include "platform/TRegistry.h"

#include <cstdlib>
#include <filesystem>

namespace {

// One store as the key walk sees it: texts and integers by key name. A reader is given the
// setting's current value as text or number, which an ini file falls back to.
class SettingsWriter {
public:
    virtual ~SettingsWriter() = default;
    virtual void Text(const std::string& key, const std::string& value) = 0;
    virtual void Integer(const std::string& key, std::int32_t value) = 0;
};

class SettingsReader {
public:
    virtual ~SettingsReader() = default;
    virtual std::string Text(const std::string& key, const std::string& current) = 0;
    virtual std::int32_t Integer(const std::string& key, std::int32_t current) = 0;
};

class RegistryWriter : public SettingsWriter {
public:
    explicit RegistryWriter(TRegistry& registry) : registry_(registry) {}
    void Text(const std::string& key, const std::string& value) override {
        registry_.WriteString(key, value);
    }
    void Integer(const std::string& key, std::int32_t value) override {
        registry_.WriteInteger(key, value);
    }

private:
    TRegistry& registry_;
};

class RegistryReader : public SettingsReader {
public:
    explicit RegistryReader(TRegistry& registry) : registry_(registry) {}
    // With no key open every value is absent, as in a key just made.
    std::string Text(const std::string& key, const std::string&) override {
        return registry_.CurrentPath().empty() ? std::string() : registry_.ReadString(key);
    }
    std::int32_t Integer(const std::string& key, std::int32_t) override {
        if (registry_.CurrentPath().empty()) {
            throw ERegistryException("No value \"" + key + "\": no registry key is open");
        }
        return registry_.ReadInteger(key);
    }

private:
    TRegistry& registry_;
};

class IniWriter : public SettingsWriter {
public:
    IniWriter(TIniFile& file, std::string section) : file_(file), section_(std::move(section)) {}
    void Text(const std::string& key, const std::string& value) override {
        file_.WriteString(section_, key, value);
    }
    void Integer(const std::string& key, std::int32_t value) override {
        file_.WriteInteger(section_, key, value);
    }

private:
    TIniFile& file_;
    std::string section_;
};

class IniReader : public SettingsReader {
public:
    IniReader(TIniFile& file, std::string section) : file_(file), section_(std::move(section)) {}
    std::string Text(const std::string& key, const std::string& current) override {
        return file_.ReadString(section_, key, current);
    }
    std::int32_t Integer(const std::string& key, std::int32_t current) override {
        return file_.ReadInteger(section_, key, current);
    }

private:
    TIniFile& file_;
    std::string section_;
};

// The ini store's fallback for a missing "CustomBaudRate" is this constant, not the current rate.
constexpr std::int32_t DefaultCustomBaudRate = 9600;

// Groups are visited in this order, which is not the order of their bits.
bool Has(TStoredGroups groups, TStoredGroup group) {
    return groups.Contains(group);
}

void WriteSettings(const TCustomComPort& port, SettingsWriter& out) {
    const TStoredGroups groups = port.StoredGroups();
    if (Has(groups, TStoredGroup::sgBasic)) {
        out.Text("Port", port.Port());
        out.Text("BaudRate", BaudRateToText(port.BaudRate()));
        if (port.BaudRate() == TBaudRate::brCustom) {
            out.Integer("CustomBaudRate", port.CustomBaudRate());
        }
        out.Text("StopBits", StopBitsToText(port.StopBits()));
        out.Text("DataBits", DataBitsToText(port.DataBits()));
        out.Text("Parity", ParityToText(port.Parity().Bits()));
        out.Text("FlowControl", FlowControlToText(port.FlowControl().FlowControl()));
    }
    if (Has(groups, TStoredGroup::sgCharHandling)) {
        out.Text("EventChar", CharToText(port.EventChar()));
        out.Text("DiscardNull", BoolToText(port.DiscardNull()));
    }
    if (Has(groups, TStoredGroup::sgParityDetails)) {
        out.Text("Parity.Check", BoolToText(port.Parity().Check()));
        out.Text("Parity.Replace", BoolToText(port.Parity().Replace()));
        out.Text("Parity.ReplaceChar", CharToText(port.Parity().ReplaceChar()));
    }
    if (Has(groups, TStoredGroup::sgBuffer)) {
        out.Integer("Buffer.OutputSize", port.Buffer().OutputSize());
        out.Integer("Buffer.InputSize", port.Buffer().InputSize());
    }
    if (Has(groups, TStoredGroup::sgTimeouts)) {
        const TComTimeouts& t = port.Timeouts();
        out.Integer("Timeouts.ReadInterval", t.ReadInterval());
        out.Integer("Timeouts.ReadTotalConstant", t.ReadTotalConstant());
        out.Integer("Timeouts.ReadTotalMultiplier", t.ReadTotalMultiplier());
        out.Integer("Timeouts.WriteTotalConstant", t.WriteTotalConstant());
        out.Integer("Timeouts.WriteTotalMultiplier", t.WriteTotalMultiplier());
    }
    if (Has(groups, TStoredGroup::sgFlowDetails)) {
        const TComFlowControl& f = port.FlowControl();
        out.Text("FlowControl.ControlRTS", RTSToText(f.ControlRTS()));
        out.Text("FlowControl.ControlDTR", DTRToText(f.ControlDTR()));
        out.Text("FlowControl.DSRSensitivity", BoolToText(f.DSRSensitivity()));
        out.Text("FlowControl.OutCTSFlow", BoolToText(f.OutCTSFlow()));
        out.Text("FlowControl.OutDSRFlow", BoolToText(f.OutDSRFlow()));
        out.Text("FlowControl.TxContinueOnXoff", BoolToText(f.TxContinueOnXoff()));
        out.Text("FlowControl.XonXoffIn", BoolToText(f.XonXoffIn()));
        out.Text("FlowControl.XonXoffOut", BoolToText(f.XonXoffOut()));
        out.Text("FlowControl.XoffChar", CharToText(f.XoffChar()));
        out.Text("FlowControl.XonChar", CharToText(f.XonChar()));
    }
}

void ReadSettings(TCustomComPort& port, SettingsReader& in, bool customRateFallsBackToDefault) {
    const TStoredGroups groups = port.StoredGroups();
    if (Has(groups, TStoredGroup::sgBasic)) {
        port.SetPort(in.Text("Port", port.Port()));
        port.SetBaudRate(TextToBaudRate(in.Text("BaudRate", BaudRateToText(port.BaudRate()))));
        if (port.BaudRate() == TBaudRate::brCustom) {
            port.SetCustomBaudRate(in.Integer("CustomBaudRate", customRateFallsBackToDefault
                                                                    ? DefaultCustomBaudRate
                                                                    : port.CustomBaudRate()));
        }
        port.SetStopBits(TextToStopBits(in.Text("StopBits", StopBitsToText(port.StopBits()))));
        port.SetDataBits(TextToDataBits(in.Text("DataBits", DataBitsToText(port.DataBits()))));
        port.Parity().SetBits(TextToParity(in.Text("Parity", ParityToText(port.Parity().Bits()))));
        port.FlowControl().SetFlowControl(TextToFlowControl(
            in.Text("FlowControl", FlowControlToText(port.FlowControl().FlowControl()))));
    }
    if (Has(groups, TStoredGroup::sgCharHandling)) {
        port.SetEventChar(TextToChar(in.Text("EventChar", CharToText(port.EventChar()))));
        port.SetDiscardNull(TextToBool(in.Text("DiscardNull", BoolToText(port.DiscardNull()))));
    }
    if (Has(groups, TStoredGroup::sgParityDetails)) {
        TComParity& p = port.Parity();
        p.SetCheck(TextToBool(in.Text("Parity.Check", BoolToText(p.Check()))));
        p.SetReplace(TextToBool(in.Text("Parity.Replace", BoolToText(p.Replace()))));
        p.SetReplaceChar(TextToChar(in.Text("Parity.ReplaceChar", CharToText(p.ReplaceChar()))));
    }
    if (Has(groups, TStoredGroup::sgBuffer)) {
        TComBuffer& b = port.Buffer();
        b.SetOutputSize(in.Integer("Buffer.OutputSize", b.OutputSize()));
        b.SetInputSize(in.Integer("Buffer.InputSize", b.InputSize()));
    }
    if (Has(groups, TStoredGroup::sgTimeouts)) {
        TComTimeouts& t = port.Timeouts();
        t.SetReadInterval(in.Integer("Timeouts.ReadInterval", t.ReadInterval()));
        t.SetReadTotalConstant(in.Integer("Timeouts.ReadTotalConstant", t.ReadTotalConstant()));
        t.SetReadTotalMultiplier(
            in.Integer("Timeouts.ReadTotalMultiplier", t.ReadTotalMultiplier()));
        t.SetWriteTotalConstant(in.Integer("Timeouts.WriteTotalConstant", t.WriteTotalConstant()));
        t.SetWriteTotalMultiplier(
            in.Integer("Timeouts.WriteTotalMultiplier", t.WriteTotalMultiplier()));
    }
    if (Has(groups, TStoredGroup::sgFlowDetails)) {
        TComFlowControl& f = port.FlowControl();
        f.SetControlRTS(TextToRTS(in.Text("FlowControl.ControlRTS", RTSToText(f.ControlRTS()))));
        f.SetControlDTR(TextToDTR(in.Text("FlowControl.ControlDTR", DTRToText(f.ControlDTR()))));
        f.SetDSRSensitivity(
            TextToBool(in.Text("FlowControl.DSRSensitivity", BoolToText(f.DSRSensitivity()))));
        f.SetOutCTSFlow(TextToBool(in.Text("FlowControl.OutCTSFlow", BoolToText(f.OutCTSFlow()))));
        f.SetOutDSRFlow(TextToBool(in.Text("FlowControl.OutDSRFlow", BoolToText(f.OutDSRFlow()))));
        f.SetTxContinueOnXoff(
            TextToBool(in.Text("FlowControl.TxContinueOnXoff", BoolToText(f.TxContinueOnXoff()))));
        f.SetXonXoffIn(TextToBool(in.Text("FlowControl.XonXoffIn", BoolToText(f.XonXoffIn()))));
        f.SetXonXoffOut(TextToBool(in.Text("FlowControl.XonXoffOut", BoolToText(f.XonXoffOut()))));
        f.SetXoffChar(TextToChar(in.Text("FlowControl.XoffChar", CharToText(f.XoffChar()))));
        f.SetXonChar(TextToChar(in.Text("FlowControl.XonChar", CharToText(f.XonChar()))));
    }
}

// An ini file named without a folder lives with the user's other settings.
std::string IniFilePath(const std::string& path) {
    if (path.find('/') != std::string::npos) {
        return path;
    }
    return (std::filesystem::path(TRegistry::DefaultFile()).parent_path() / path).string();
}

} // namespace

void OpenSettingsKey(TRegistry& registry, const std::string& path,
                     const std::string& componentName) {
    const std::size_t separator = path.find('\\');
    if (separator == std::string::npos) {
        return;
    }
    const std::string root = UpperCaseAscii(path.substr(0, separator));
    if (root == "HKEY_LOCAL_MACHINE") {
        registry.SetRootKey(TRegistry::RootKey::HKEY_LOCAL_MACHINE);
    } else if (root == "HKEY_CURRENT_USER") {
        registry.SetRootKey(TRegistry::RootKey::HKEY_CURRENT_USER);
    }
    std::string key = path.substr(separator + 1);
    // "HKEY_CURRENT_USER\" names no key below the root, and a key name cannot start with "\".
    if (key.empty()) {
        throw ERegistryException("The settings path \"" + path + "\" names no key");
    }
    if (key.back() != '\\') {
        key += '\\';
    }
    registry.OpenKey(key + componentName, true);
}

void TCustomComPort::SaveToRegistry(TRegistry& registry) {
    RegistryWriter writer(registry);
    WriteSettings(*this, writer);
}

void TCustomComPort::SaveToIniFile(TIniFile& iniFile) {
    IniWriter writer(iniFile, Name());
    WriteSettings(*this, writer);
}

void TCustomComPort::RestoreFromRegistry(TRegistry& registry) {
    RegistryReader reader(registry);
    ReadSettings(*this, reader, false);
}

void TCustomComPort::RestoreFromIniFile(TIniFile& iniFile) {
    IniReader reader(iniFile, Name());
    ReadSettings(*this, reader, true);
}

void TCustomComPort::SaveSettings(TStoreType storeType, const std::string& path) {
    try {
        if (storeType == TStoreType::storeRegistry) {
            TRegistry registry;
            OpenSettingsKey(registry, path, Name());
            SaveToRegistry(registry);
        } else {
            TIniFile iniFile(IniFilePath(path));
            SaveToIniFile(iniFile);
        }
    } catch (const std::exception&) {
        // The underlying reason is not part of this error: the caller learns only what failed.
        throw EComPort(ComError::StoreFailed);
    }
}

void TCustomComPort::RestoreSettings(TStoreType storeType, const std::string& path) {
    bool failed = false;
    BeginSettingsUpdate();
    try {
        if (storeType == TStoreType::storeRegistry) {
            TRegistry registry;
            OpenSettingsKey(registry, path, Name());
            RestoreFromRegistry(registry);
        } else {
            TIniFile iniFile(IniFilePath(path));
            RestoreFromIniFile(iniFile);
        }
    } catch (const std::exception&) {
        failed = true;
    }
    try {
        EndSettingsUpdate();
    } catch (const std::exception&) {
        failed = true;
    }
    if (failed) {
        throw EComPort(ComError::LoadFailed);
    }
}
