// What a screen reader finds on the screen: each control by its name and
// role, and the weekday read after a date.
#include <QAccessible>

#include "ScreenFixture.h"

namespace {

QAccessibleInterface* Accessible(QWidget* widget) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    EXPECT_NE(accessible, nullptr);
    return accessible;
}

// Each control: its role, the name read, and the first label it is read
// with through Qt's "labelled by" relation (its label's caption, else its
// group box's), each nullptr when it has none. A combo box on Linux is named by its value, as Qt does there,
// and read with its label.
struct ControlCase {
    const char* control;
    QAccessible::Role role;
    const char* name;
    const char* label;
};

void PrintTo(const ControlCase& c, std::ostream* os) { *os << c.control; }

QString LabelOf(QAccessibleInterface& accessible) {
    const auto labels = accessible.relations(QAccessible::Label);
    return labels.isEmpty() ? QString() : labels.first().first->text(QAccessible::Name);
}

class ScreenReaderControls : public ScreenTest, public ::testing::WithParamInterface<ControlCase> {};

TEST_P(ScreenReaderControls, EachControlHasItsNameRoleAndLabel) {
    TfrmLimpDados& s = Open();
    auto* control = s.findChild<QWidget*>(QString::fromLatin1(GetParam().control));
    ASSERT_NE(control, nullptr);
    QAccessibleInterface* accessible = Accessible(control);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), GetParam().role);
    if (GetParam().name) {
        EXPECT_EQ(accessible->text(QAccessible::Name), QString::fromUtf8(GetParam().name));
    }
    EXPECT_EQ(LabelOf(*accessible), GetParam().label ? QString::fromUtf8(GetParam().label) : QString());
}

INSTANTIATE_TEST_SUITE_P(
    Screen, ScreenReaderControls,
    ::testing::Values(ControlCase{"depDtIni", QAccessible::EditableText, "Data inicial", "Inicial"},
                      ControlCase{"depDtFim", QAccessible::EditableText, "Data final", "Final"},
                      ControlCase{"edtSemIni", QAccessible::EditableText, "Dia da semana inicial", "Data da Limpeza"},
                      ControlCase{"edtSemFim", QAccessible::EditableText, "Dia da semana final", "Data da Limpeza"},
                      ControlCase{"cbbReportNames", QAccessible::ComboBox, nullptr, "Relatório"},
                      ControlCase{"rbtTodosSist", QAccessible::RadioButton, "Todas", "Sistema"},
                      ControlCase{"rbtListaSist", QAccessible::RadioButton, "Lista", "Sistema"},
                      ControlCase{"sbtSist", QAccessible::Button, "Pesquisar", "Sistema"},
                      ControlCase{"sbtPreview", QAccessible::Button, "Visualizar", nullptr},
                      ControlCase{"sbtPrint", QAccessible::Button, "Imprimir", nullptr},
                      ControlCase{"sbtSalvarComo", QAccessible::Button, "Salvar como", nullptr},
                      ControlCase{"GroupBox2", QAccessible::Grouping, "Data da Limpeza", nullptr},
                      ControlCase{"grbSistema", QAccessible::Grouping, "Sistema", nullptr}),
    [](const auto& info) { return std::string(info.param.control); });

// A date typed over an earlier one; what is read after the field's name.
struct WeekdayCase {
    const char* name;
    const char* typed;
    const char* description;  // nullptr: the field's hint, as for no date
};

void PrintTo(const WeekdayCase& c, std::ostream* os) { *os << c.name; }

class ScreenReaderWeekday : public ScreenTest, public ::testing::WithParamInterface<WeekdayCase> {};

TEST_P(ScreenReaderWeekday, DateFieldIsDescribedByTheWeekdayOfItsDate) {
    TfrmLimpDados& s = Open();
    Retype(s.depDtIni, "07032025");
    Retype(s.depDtIni, QString::fromLatin1(GetParam().typed));
    const QString expected =
        GetParam().description ? QString::fromUtf8(GetParam().description) : s.depDtIni->toolTip();
    EXPECT_EQ(Accessible(s.depDtIni)->text(QAccessible::Description), expected);
}

INSTANTIATE_TEST_SUITE_P(Dates, ScreenReaderWeekday,
                         ::testing::Values(WeekdayCase{"Monday", "10032025", "Segunda"},
                                           WeekdayCase{"AccentedName", "11032025", "Terça"},
                                           WeekdayCase{"LeapDay", "29022024", "Quinta"},
                                           WeekdayCase{"HalfTyped", "1003", nullptr},
                                           WeekdayCase{"NoSuchDay", "31042025", nullptr},
                                           WeekdayCase{"Emptied", "", nullptr}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
