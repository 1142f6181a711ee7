// What a screen reader is told of a form's controls: names from the labels a
// definition pairs with them, by FocusControl or by place, and from hints.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QTest>

#include "AccessibleNames.h"
#include "Forms.h"
#include "StdCtrls.h"

namespace {

class TfrmRotulos : public TForm {
public:
    using inherited = TForm;
    static constexpr const char* ClassName = "TfrmRotulos";
    static constexpr const char* Definition = ":/test/forms/labels.dfm";
    static void Publish(TPublisher<TfrmRotulos>&) {}
};

QString NameRead(QWidget* widget) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    return accessible ? accessible->text(QAccessible::Name) : QStringLiteral("<sem interface>");
}

class AccessibleNames : public ::testing::Test {
protected:
    void SetUp() override {
        Application->CreateForm(form_);
        ASSERT_NE(form_, nullptr);
    }
    void TearDown() override {
        for (TForm* form : Application->Forms()) delete form;
    }
    QWidget* Control(const char* name) const {
        return &form_->Component<QWidget>(QString::fromLatin1(name));
    }
    TfrmRotulos* form_ = nullptr;
};

struct NameCase {
    const char* control;
    const char* name;  // as a screen reader reads it
};

class ControlNames : public AccessibleNames, public ::testing::WithParamInterface<NameCase> {};

TEST_P(ControlNames, ScreenReaderReadsTheNameThePairedLabelOrHintGives) {
    EXPECT_EQ(NameRead(Control(GetParam().control)), QString::fromUtf8(GetParam().name));
}

INSTANTIATE_TEST_SUITE_P(
    LabelsAndHints, ControlNames,
    ::testing::Values(
        // FocusControl wins over the control beside the label.
        NameCase{"edtLonge", "Nome"}, NameCase{"edtPerto", ""},
        // By place: the nearest control that takes the focus, caption without '&'.
        NameCase{"edtCodigo", "Código"}, NameCase{"edtOutro", ""},
        // An image button: its hint without the key.
        NameCase{"btnAjuda", "Pesquisar"},
        // The definition's own name stays.
        NameCase{"edtCidade", "Cidade de entrega"},
        // Left of the label, below its row, or in another container: no pair.
        NameCase{"edtAntes", ""}, NameCase{"edtAbaixo", ""}, NameCase{"edtFora", ""}),
    [](const auto& info) { return std::string(info.param.control); });

TEST_F(AccessibleNames, KeyOfALabelPairedByPlaceFocusesItsControl) {
    form_->Show();
    QApplication::setActiveWindow(form_);
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_));
    Control("edtOutro")->setFocus();
    QTest::keyClick(form_, Qt::Key_C, Qt::AltModifier);
    EXPECT_TRUE(Control("edtCodigo")->hasFocus());
}

// A message is an alert: read out as it shows, its text the description.
TEST(AccessibleAlerts, MessageIsAnAlertDescribedByItsText) {
    QAccessible::Role role = QAccessible::NoRole;
    QString name;
    QString description;
    Application->SetModalHook([&](QDialog& dialog) {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&dialog);
        role = accessible->role();
        name = accessible->text(QAccessible::Name);
        description = accessible->text(QAccessible::Description);
        return int(QDialog::Accepted);
    });
    const QString savedTitle = Application->Title();
    Application->SetTitle(QStringLiteral("Gestão Empresarial"));
    Application->ShowMessage(mtError, QStringLiteral("Data inicial deve ser informada."));
    Application->SetModalHook(nullptr);
    Application->SetTitle(savedTitle);
    EXPECT_EQ(role, QAccessible::AlertMessage);
    EXPECT_EQ(name, QStringLiteral("Gestão Empresarial"));
    EXPECT_EQ(description, QStringLiteral("Data inicial deve ser informada."));
}

}  // namespace
