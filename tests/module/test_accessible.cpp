// What a screen reader finds on the screen: each control by its name and
// role, and the weekday read after a date.
#include <QAccessible>
#include <QCalendarWidget>
#include <QProgressBar>
#include <set>

#include "PreviewPages.h"
#include "ReportPreview.h"
#include "ReportProgressDialog.h"
#include "ScreenFixture.h"

namespace {

QAccessibleInterface* Accessible(QWidget* widget) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    EXPECT_NE(accessible, nullptr);
    return accessible;
}

// Each control: its role, the name read, and the first label it is read
// with through Qt's "labelled by" relation (its label's caption, else its
// group box's), each nullptr when it has none. A combo box on Linux is named by its value, as Qt
// does there, and read with its label.
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

class ScreenReaderControls : public ScreenTest,
                             public ::testing::WithParamInterface<ControlCase> {};

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
    EXPECT_EQ(LabelOf(*accessible),
              GetParam().label ? QString::fromUtf8(GetParam().label) : QString());
}

INSTANTIATE_TEST_SUITE_P(
    Screen, ScreenReaderControls,
    ::testing::Values(ControlCase{"depDtIni", QAccessible::EditableText, "Data inicial", "Inicial"},
                      ControlCase{"depDtFim", QAccessible::EditableText, "Data final", "Final"},
                      ControlCase{"edtSemIni", QAccessible::EditableText, "Dia da semana inicial",
                                  "Data da Limpeza"},
                      ControlCase{"edtSemFim", QAccessible::EditableText, "Dia da semana final",
                                  "Data da Limpeza"},
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

// The (role, name) pairs of a window and everything in it, as read.
std::set<std::pair<int, QString>> PartsRead(QWidget& window) {
    std::set<std::pair<int, QString>> parts;
    QList<QWidget*> widgets = window.findChildren<QWidget*>();
    widgets.prepend(&window);
    for (QWidget* widget : widgets)
        if (QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget))
            parts.emplace(int(accessible->role()), accessible->text(QAccessible::Name));
    return parts;
}

struct Part {
    QAccessible::Role role;
    const char* name;
};

void ExpectParts(QWidget& window, std::initializer_list<Part> expected) {
    const auto parts = PartsRead(window);
    QStringList read;
    for (const auto& [role, name] : parts) read << QStringLiteral("%1:%2").arg(role).arg(name);
    for (const Part& part : expected)
        EXPECT_TRUE(parts.count({int(part.role), QString::fromUtf8(part.name)}))
            << "falta " << part.name << " (papel " << part.role << ") em "
            << read.join(", ").toStdString();
}

class ScreenReaderWindows : public ScreenTest {};

TEST_F(ScreenReaderWindows, PreviewButtonsPageFieldToolbarAndPagesAreNamed) {
    Interactive();
    QString pagesDescription;
    answer = [&](QDialog& dialog) {
        auto* preview = qobject_cast<ReportPreview*>(&dialog);
        if (!preview) return int(QDialog::Rejected);
        preview->show();
        EXPECT_TRUE(QTest::qWaitFor([&] { return preview->Pages().PageCount() > 0; }));
        ExpectParts(*preview, {{QAccessible::Button, "Primeira página"},
                               {QAccessible::Button, "Página anterior"},
                               {QAccessible::Button, "Próxima página"},
                               {QAccessible::Button, "Última página"},
                               {QAccessible::Button, "Ampliar"},
                               {QAccessible::Button, "Reduzir"},
                               {QAccessible::Button, "Imprimir"},
                               {QAccessible::Button, "Salvar em PDF"},
                               {QAccessible::Button, "Exportar"},
                               {QAccessible::Button, "Fechar"},
                               {QAccessible::CheckBox, "Painel lateral"},  // checked while it shows
                               {QAccessible::Client, "Painel lateral"},
                               {QAccessible::List, "Miniaturas das páginas"},
                               {QAccessible::List, "Sumário do relatório"},
                               {QAccessible::EditableText, "Página"},
                               {QAccessible::ToolBar, "Ferramentas da visualização"}});
        EXPECT_EQ(QAccessible::queryAccessibleInterface(&preview->Pages())->text(QAccessible::Name),
                  QString::fromUtf8("Páginas do relatório"));
        pagesDescription = QAccessible::queryAccessibleInterface(&preview->Pages())
                               ->text(QAccessible::Description);
        return int(QDialog::Rejected);
    };
    TfrmLimpDados& s = Open();
    Type(s.depDtIni, "01032025");
    Type(s.depDtFim, "10032025");
    QTest::mouseClick(s.sbtPreview, Qt::LeftButton);
    EXPECT_TRUE(pagesDescription.startsWith(QString::fromUtf8("Página 1 de ")))
        << pagesDescription.toStdString();
}

TEST_F(ScreenReaderWindows, CalendarAndItsPartsAreNamedInPortuguese) {
    TfrmLimpDados& s = Open();
    s.depDtIni->OpenCalendar();
    ASSERT_NE(s.depDtIni->Calendar(), nullptr);
    ExpectParts(*s.depDtIni->Calendar(), {{QAccessible::Button, "Mês anterior"},
                                          {QAccessible::Button, "Próximo mês"},
                                          {QAccessible::StaticText, "Terça"},
                                          {QAccessible::StaticText, "Sábado"}});
    EXPECT_EQ(
        QAccessible::queryAccessibleInterface(s.depDtIni->Calendar())->text(QAccessible::Name),
        QString::fromUtf8("Calendário"));
    ExpectParts(*s.depDtIni, {{QAccessible::Button, "Calendário"}});
}

TEST_F(ScreenReaderWindows, ProgressIsFoundByTitleAndDescribedByItsStatus) {
    ReportProgressDialog progress(QStringLiteral("Limpeza de Dados - Detalhado"), nullptr);
    progress.SetStatus(QString::fromUtf8("Lendo os dados do relatório: 12 linhas, 1 página"));
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&progress);
    EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("Limpeza de Dados - Detalhado"));
    EXPECT_EQ(accessible->text(QAccessible::Description),
              QString::fromUtf8("Lendo os dados do relatório: 12 linhas, 1 página"));
    ExpectParts(progress,
                {{QAccessible::ProgressBar, "Andamento"}, {QAccessible::Button, "Cancelar"}});
}

}  // namespace
