// The dialog's small editor of the set: number of configurations, file and description of each.
#include <algorithm>
#include <charconv>
#include <string_view>

#include "modules/fpga_dialog.h"

namespace kell {

namespace {

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// The whole text as a decimal integer; false for anything else (empty, letters, overflow).
bool ParseInteger(std::string_view text, int& value) {
    text = Trimmed(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return !text.empty() && error == std::errc{} && stop == end;
}

// The file name with the separator before it, as the dialog shows it; the whole path when it
// has no folder.
std::string DisplayName(const std::string& path) {
    const auto separator = path.find_last_of("\\/");
    return separator == std::string::npos ? path : path.substr(separator);
}

}  // namespace

void TCFpga::Edit_num_configuraciones() {
    const std::string& text = Edit_n_configuraciones.text;
    int value = 0;
    if (!text.empty() && ParseInteger(text, value)) {
        // Only the embedded bitstreams can be written: a count beyond them is refused, and the
        // edit shows the count that stays.
        if (value >= 0 && value <= kMaxConfigurations) {
            count = value;
        } else {
            Edit_n_configuraciones.text = std::to_string(count);
        }
    }
    Label_cantidad_configuraciones.caption = std::to_string(count);
    currentConfiguration = 1;
    ShowCurrentConfiguration();
}

void TCFpga::Editar_descripcion() {
    if (currentConfiguration < 1 || currentConfiguration > kFpgaDirectoryEntries)
        return;
    const std::string& text = Edit_descripcion.text;
    descriptions[currentConfiguration] =
        text.substr(0, std::min(text.find('\0'), kDescriptionLength));
}

void TCFpga::But_nombre_ficheroClick() {
    if (currentConfiguration < 1)
        return;
    OpenDialog_conf_fpga.fileName.clear();
    const std::string path = chooseFile ? chooseFile(OpenDialog_conf_fpga) : std::string();
    if (path.empty())
        return;
    OpenDialog_conf_fpga.fileName = path;
    filePaths[currentConfiguration] = path;
    displayNames[currentConfiguration] = DisplayName(path);
    Label_nombre.caption = displayNames[currentConfiguration];
}

void TCFpga::But_siguienteClick() {
    if (currentConfiguration < count)
        ++currentConfiguration;
    ShowCurrentConfiguration();
}

void TCFpga::But_anteriorClick() {
    if (currentConfiguration >= 2)
        --currentConfiguration;
    ShowCurrentConfiguration();
}

void TCFpga::ShowCurrentConfiguration() {
    Label_configuracion_actual.caption = std::to_string(currentConfiguration);
    if (currentConfiguration < 1 || currentConfiguration > kFpgaDirectoryEntries)
        return;
    Label_nombre.caption = displayNames[currentConfiguration];
    Edit_descripcion.text = descriptions[currentConfiguration];
}

}  // namespace kell
