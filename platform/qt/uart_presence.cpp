#include "platform/qt/uart_presence.h"

#include <fstream>

namespace kell {

bool SerialPortLacksUart(const std::string& name, const std::string& sysClassTty) {
    if (name.empty() || name.find('/') != std::string::npos)
        return false;
    std::ifstream type(sysClassTty + "/" + name + "/type");
    int code = -1;
    if (!(type >> code))
        return false;
    return code == 0;  // PORT_UNKNOWN
}

}  // namespace kell
