// The FPGA editor and the default-parameters window over plain control models: what the user
// does reaches the models and handlers, what the handlers set shows.
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "gui/defaults_dialog.h"
#include "gui/file_filter.h"
#include "gui/fpga_dialog.h"
#include "tests/gui/gui_world.h"

namespace kell::gui::testing {
namespace {

using DialogsTest = GuiTest;

// A click on the box of a check box or radio button (only the box and its text take clicks).
void ClickBox(QWidget* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

// A stand-in for the FPGA set's editor: counts and steps like the real one.
struct FpgaEditor {
    bool shown = true;
    Edit count{{}, "0"};
    Label name{{}, "_ _ _ _ _ _ _ _"};
    Edit description;
    Label current{{}, "00"}, total{{}, "00"}, status;
    int configurations = 0, selected = 0, writes = 0;
    std::vector<std::string> descriptions = std::vector<std::string>(17);

    void Show() {
        current.caption = std::to_string(selected);
        description.text = descriptions[static_cast<std::size_t>(selected)];
    }
    FpgaDialogModels Models() {
        return {[this] { return shown; },
                count,
                name,
                description,
                current,
                total,
                status,
                [this] {
                    configurations = std::atoi(count.text.c_str());
                    total.caption = std::to_string(configurations);
                    selected = 1;
                    Show();
                },
                [this] {
                    descriptions[static_cast<std::size_t>(selected)] =
                        description.text.substr(0, 8);
                },
                [] {},
                [this] {
                    if (selected < configurations)
                        ++selected;
                    Show();
                },
                [this] {
                    if (selected >= 2)
                        --selected;
                    Show();
                },
                [this] {
                    ++writes;
                    status.caption = "Enviando : 0 / 274096";
                    shown = false;
                },
                [this] { shown = false; }};
    }
};

TEST_F(DialogsTest, TheFpgaEditorCountsDescribesAndSteps) {
    FpgaEditor editor;
    FpgaDialog dialog(editor.Models());
    dialog.show();
    EXPECT_EQ(dialog.size(), QSize(392, 366));
    EXPECT_EQ(dialog.windowTitle(), "Configuracion fpga");
    auto* count = dialog.findChild<QLineEdit*>("Edit_n_configuraciones");
    auto* description = dialog.findChild<QLineEdit*>("Edit_descripcion");
    auto* current = dialog.findChild<QLabel*>("Label_configuracion_actual");
    EXPECT_EQ(count->text(), "0");
    EXPECT_EQ(current->text(), "00");

    count->selectAll();
    QTest::keyClicks(count, "3");
    EXPECT_EQ(editor.configurations, 3);
    EXPECT_EQ(dialog.findChild<QLabel*>("Label_cantidad_configuraciones")->text(), "3");
    EXPECT_EQ(current->text(), "1");

    QTest::keyClicks(description, "TERRESTRE");
    EXPECT_EQ(editor.descriptions[1], "TERRESTR");
    QTest::mouseClick(dialog.findChild<QPushButton*>("But_siguiente"), Qt::LeftButton);
    EXPECT_EQ(current->text(), "2");
    EXPECT_EQ(description->text(), "") << "each configuration shows its own description";
    QTest::mouseClick(dialog.findChild<QPushButton*>("But_siguiente"), Qt::LeftButton);
    QTest::mouseClick(dialog.findChild<QPushButton*>("But_siguiente"), Qt::LeftButton);
    EXPECT_EQ(current->text(), "3") << "stepping stops at the count";
    QTest::mouseClick(dialog.findChild<QPushButton*>("But_anterior"), Qt::LeftButton);
    QTest::mouseClick(dialog.findChild<QPushButton*>("But_anterior"), Qt::LeftButton);
    QTest::mouseClick(dialog.findChild<QPushButton*>("But_anterior"), Qt::LeftButton);
    EXPECT_EQ(current->text(), "1");
    EXPECT_EQ(description->text(), "TERRESTR");

    QDir().mkpath(KELL_SCREENSHOT_DIR);
    dialog.grab().save(QStringLiteral("%1/fpga_dialog.png").arg(KELL_SCREENSHOT_DIR));

    QTest::mouseClick(dialog.findChild<QWidget*>("Button_ok"), Qt::LeftButton);
    EXPECT_EQ(editor.writes, 1);
    EXPECT_EQ(dialog.findChild<QLabel*>("Lbl_estado_fpga")->text(), "Enviando : 0 / 274096");
    EXPECT_FALSE(dialog.isVisible()) << "the dialog closes when the set hides it";
}

TEST_F(DialogsTest, TheFileFiltersOfTheLayoutsBecomeQtFilters) {
    EXPECT_EQ(QtFileFilter(".rbf|*.rbf"), ".rbf (*.rbf)");
    EXPECT_EQ(QtFileFilter(".hex, .zsw, .bin|*.hex;*.zsw;*.bin"),
              ".hex, .zsw, .bin (*.hex *.zsw *.bin)");
    EXPECT_EQ(QtFileFilter("Text|*.txt|All|*"), "Text (*.txt);;All (*)");
    EXPECT_EQ(QtFileFilter("no patterns"), "");
    EXPECT_EQ(QtFileFilter("Empty||Text|*.txt"), "Text (*.txt)");
}

struct DefaultsWindow {
    bool closed = false;
    RadioGroup modelo{{}, "Modelo ", {"Tovric", "Selvane", "Dramont", "Quellin"}, 0};
    RadioGroup idioma{
        {}, " Idioma ", {"Español", "Inglés", "Francés", "Portugués", "Italiano", "Alemán"}, 0};
    CheckBox fabrica{{}, "Configuración de fábrica", true},
        actual{{}, "Configuración por defecto", true}, perfiles{{}, "Perfiles"},
        incidencias{{}, "Incidencias"}, tablas{{}, "Tablas memorias y macromedidas"},
        memorias{{}, "Memorias"}, macromedidas{{}, "Macromedidas"}, logs{{}, "Logs"},
        planes{{}, "Planes de Canales"}, opciones{{}, "Opciones"};
    Panel estado, accion;
    int oks = 0;

    DefaultsDialogModels Models() {
        return {[this] { return !closed; },
                modelo,
                idioma,
                fabrica,
                actual,
                perfiles,
                incidencias,
                tablas,
                memorias,
                macromedidas,
                logs,
                planes,
                opciones,
                estado,
                accion,
                [this] {
                    ++oks;
                    estado.caption = "Parametros cargados";
                },
                [this] { closed = true; }};
    }
};

TEST_F(DialogsTest, TheDefaultsWindowKeepsTheUsersChoicesInItsModels) {
    DefaultsWindow window;
    for (CheckBox* box : {&window.perfiles, &window.logs})
        box->enabled = false;  // as without the service letter
    DefaultsDialog dialog(window.Models());
    dialog.show();
    EXPECT_EQ(dialog.size(), QSize(515, 462));
    EXPECT_EQ(dialog.windowTitle(), "Parametros por defecto");
    EXPECT_EQ(dialog.findChild<QGroupBox*>("RadioGroup_idioma")->title(), " Idioma ");
    EXPECT_TRUE(dialog.findChild<QCheckBox*>("check_grabar_conf_fabrica")->isChecked());
    EXPECT_FALSE(dialog.findChild<QCheckBox*>("check_grabar_perfiles")->isEnabled());

    ClickBox(dialog.findChild<QRadioButton*>("RadioGroup_idioma_2"));
    EXPECT_EQ(window.idioma.itemIndex, 2);
    ClickBox(dialog.findChild<QCheckBox*>("check_grabar_conf_actual"));
    EXPECT_FALSE(window.actual.checked);
    ClickBox(dialog.findChild<QCheckBox*>("check_grabar_planes"));
    EXPECT_TRUE(window.planes.checked);

    QDir().mkpath(KELL_SCREENSHOT_DIR);
    dialog.grab().save(QStringLiteral("%1/defaults_dialog.png").arg(KELL_SCREENSHOT_DIR));

    QTest::mouseClick(dialog.findChild<QWidget*>("Button_ok"), Qt::LeftButton);
    EXPECT_EQ(window.oks, 1);
    EXPECT_EQ(dialog.findChild<QLabel*>("Panel_estado")->text(), "Parametros cargados");
    QTest::mouseClick(dialog.findChild<QWidget*>("Button_cancel"), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
}

}  // namespace
}  // namespace kell::gui::testing
