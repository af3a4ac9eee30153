#include "Installation.h"

#include "horizon/HorizonGrid.h"

#include <filesystem>

void WriteReceiverSettings(const std::string& config, const std::string& port,
                           const std::string& receiver) {
    std::filesystem::create_directories(config + "/skyfence");
    WriteFileBytes(config + "/skyfence/registry.reg",
                   "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Brennick\\Skyfence\\ComPort]"
                   "\r\n\"Port\"=\"" +
                       port + "\"\r\n\"BaudRate\"=\"9600\"\r\n" +
                       (receiver.empty() ? "" : "\"Receiver\"=\"" + receiver + "\"\r\n"));
}

Installation::Installation(const std::string& port, const std::string& receiver) {
    std::filesystem::copy_file(SKYFENCE_PROGRAM, Program());
    WriteReceiverSettings(Config(), port, receiver);
    // With a data file present, reception starts by itself.
    NewGrid().SaveToFile(DataFile());
}

ChildProgramOptions Installation::ProgramOptions() const {
    ChildProgramOptions options;
    options.environment = {{"XDG_CONFIG_HOME", Config()}, {"QT_QPA_PLATFORM", "offscreen"}};
    options.readErrors = true;
    return options;
}
