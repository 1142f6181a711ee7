// The lookup list operated through its dialog: marking, filtering, OK and
// Cancel, and the text and marks it leaves behind.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <functional>

#include "HostTestSupport.h"
#include "Keyboard.h"
#include "PesquisaLista.h"

namespace {

const QStringList kSystems = {"Compras/Suprimentos", "Documentos Fiscais/Financeiro", "Estoque",
                              "Planejamento Alim. Industrial"};

class LookupList : public ::testing::Test {
protected:
    void SetUp() override {
        mark.SetFieldName("IDMARCADO");
        mark.SetSize(1);
        name.SetFieldName("SISTEMA");
        name.SetSize(60);
        mark.SetDataSet(&data);
        name.SetDataSet(&data);
        data.CreateDataSet();
        for (const QString& text : kSystems) AddRow(text);
        source.SetDataSet(&data);
    }
    void AddRow(const QString& text, const QString& marked = QString()) {
        data.Append();
        name.SetAsString(text);
        mark.SetAsString(marked);
        data.Post();
    }
    QStringList Marks() {
        QStringList marks;
        for (data.First(); !data.Eof(); data.Next()) marks << mark.AsString();
        return marks;
    }
    // Runs the lookup with `operate` playing the person at the dialog.
    void Run(const std::function<void(TfrmPesquisaLista&)>& operate, bool singleSelect = false) {
        ModalAnswer answer([&](QDialog& dialog) {
            auto* lookup = dynamic_cast<TfrmPesquisaLista*>(&dialog);
            EXPECT_NE(lookup, nullptr);
            if (!lookup) return int(QDialog::Rejected);
            lookup->show();
            operate(*lookup);
            seenTitle = lookup->windowTitle();
            return lookup->result();
        });
        PesquisaLista(&source, "SISTEMA", "Sistema", singleSelect, result);
    }
    static void Press(QDialog& dialog, const char* button) {
        auto* pressed = dialog.findChild<QPushButton*>(button);
        ASSERT_NE(pressed, nullptr) << button;
        QTest::mouseClick(pressed, Qt::LeftButton);
    }
    static QListWidget& List(QDialog& dialog) {
        return *dialog.findChild<QListWidget*>("lstItens");
    }

    TClientDataSet data;
    TStringField mark;
    TStringField name;
    TDataSource source;
    QString result = "anterior";
    QString seenTitle;
};

TEST_F(LookupList, OkWritesTheMarkedRowsInTableOrderAsAJsonArrayAndStoresTheMarks) {
    Run([](TfrmPesquisaLista& d) {
        EXPECT_EQ(d.Rows(), kSystems);
        EXPECT_EQ(d.Marked(), (QList<bool>{false, false, false, false}));
        EXPECT_TRUE(d.MarkExactly({"Estoque", "Compras/Suprimentos"}));
        Press(d, "btnOK");
    });
    EXPECT_EQ(seenTitle, "Sistema");
    EXPECT_EQ(result, R"(["Compras/Suprimentos","Estoque"])");
    EXPECT_EQ(Marks(), (QStringList{"S", "", "S", ""}));
}

TEST_F(LookupList, SpaceAndDoubleClickToggleARow) {
    Run([](TfrmPesquisaLista& d) {
        QListWidget& list = List(d);
        list.setFocus();
        list.setCurrentRow(1);
        QTest::keyClick(&list, Qt::Key_Space);
        const QPoint row3 = list.visualItemRect(list.item(3)).center();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                          row3);  // a double click, as the mouse sends it
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, row3);
        QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, row3);
        EXPECT_EQ(d.Marked(), (QList<bool>{false, true, false, true}));
        Press(d, "btnOK");
    });
    EXPECT_EQ(result, R"(["Documentos Fiscais/Financeiro","Planejamento Alim. Industrial"])");
}

TEST_F(LookupList, UnmarkingEverythingGivesTheEmptyTextAndClearsTheMarks) {
    data.First();
    data.Edit();
    mark.SetAsString("S");
    data.Post();
    Run([](TfrmPesquisaLista& d) {
        EXPECT_EQ(d.Marked().at(0), true);
        Press(d, "btnDesmarcarTodos");
        Press(d, "btnOK");
    });
    EXPECT_EQ(result, "");
    EXPECT_EQ(Marks(), (QStringList{"", "", "", ""}));
}

TEST_F(LookupList, NextLookupOpensWithTheMarksAndCancelLeavesTextAndMarks) {
    Run([](TfrmPesquisaLista& d) {
        d.MarkExactly({"Estoque"});
        Press(d, "btnOK");
    });
    const QString before = result;
    Run([](TfrmPesquisaLista& d) {
        EXPECT_EQ(d.Marked(), (QList<bool>{false, false, true, false}));
        Press(d, "btnMarcarTodos");
        Press(d, "btnCancelar");
    });
    EXPECT_EQ(result, before);
    EXPECT_EQ(Marks(), (QStringList{"", "", "S", ""}));
}

TEST_F(LookupList, MarkAllWithAFilterMarksOnlyTheRowsShown) {
    Run([](TfrmPesquisaLista& d) {
        QTest::keyClicks(d.findChild<QLineEdit*>("edtFiltro"), "ESTO");
        EXPECT_TRUE(List(d).item(0)->isHidden());
        EXPECT_FALSE(List(d).item(2)->isHidden());
        Press(d, "btnMarcarTodos");
        d.SetFilter("");
        EXPECT_FALSE(List(d).item(0)->isHidden());
        Press(d, "btnOK");
    });
    EXPECT_EQ(result, R"(["Estoque"])");
}

TEST_F(LookupList, NamesWithQuotesCommasAndBracketsRoundTripExactly) {
    const QStringList odd = {R"(A "B", [C])", R"(D\E)", QString::fromUtf8("Ação, ]["), "', '"};
    for (const QString& text : odd) AddRow(text);
    Run([&](TfrmPesquisaLista& d) {
        EXPECT_TRUE(d.MarkExactly(odd));
        Press(d, "btnOK");
    });
    QJsonParseError error{};
    const QJsonDocument parsed = QJsonDocument::fromJson(result.toUtf8(), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << result.toStdString();
    ASSERT_TRUE(parsed.isArray());
    QStringList back;
    for (const QJsonValue& value : parsed.array()) back << value.toString();
    EXPECT_EQ(back, odd);
}

TEST_F(LookupList, SingleSelectKeepsOneMarkAndCannotMarkAll) {
    Run(
        [](TfrmPesquisaLista& d) {
            EXPECT_FALSE(d.findChild<QPushButton*>("btnMarcarTodos")->isEnabled());
            List(d).item(0)->setCheckState(Qt::Checked);
            List(d).item(2)->setCheckState(Qt::Checked);
            d.MarkAll(true);
            EXPECT_EQ(d.Marked(), (QList<bool>{false, false, true, false}));
            Press(d, "btnOK");
        },
        true);
    EXPECT_EQ(result, R"(["Estoque"])");
}

TEST_F(LookupList, CurrentRowIsKeptAfterOkAndAfterCancel) {
    data.SetRecNo(2);
    Run([](TfrmPesquisaLista& d) {
        d.MarkExactly({"Estoque"});
        Press(d, "btnOK");
    });
    EXPECT_EQ(data.RecNo(), 2);
    data.SetRecNo(4);
    Run([](TfrmPesquisaLista& d) { Press(d, "btnCancelar"); });
    EXPECT_EQ(data.RecNo(), 4);
}

// The person at the dialog with the keyboard alone: keys go where the focus is.
class LookupKeys : public LookupList {
protected:
    static void Activate(QDialog& dialog) {
        dialog.activateWindow();
        QApplication::setActiveWindow(&dialog);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    }
    static QString CountLine(QDialog& dialog) {
        return dialog.findChild<QLabel*>("lblMarcados")->text();
    }
};

// Regression: Space acted on the row that was current before filtering, now
// hidden, so this marked nothing of what the person saw.
TEST_F(LookupKeys, SpaceAfterEachFilterMarksTheRowInView) {
    Run([](TfrmPesquisaLista& d) {
        Activate(d);
        TypeKeys("est");
        PressKey(Qt::Key_Tab);
        PressKey(Qt::Key_Space);
        PressKey(Qt::Key_Tab, Qt::ShiftModifier);
        TypeKeys("compras");
        PressKey(Qt::Key_Tab);
        PressKey(Qt::Key_Space);
        PressKey(Qt::Key_Tab, Qt::ShiftModifier);
        PressKey(Qt::Key_Backspace);
        EXPECT_EQ(CountLine(d), "2 de 4 marcados");
        PressKey(Qt::Key_Return);
    });
    EXPECT_EQ(result, R"(["Compras/Suprimentos","Estoque"])");
}

// Rows marked before, the filter typed, and what Enter leaves in the result.
struct EnterCase {
    const char* name;
    const char* marked;  // a row marked in the table before the lookup, or ""
    const char* filter;
    const char* result;
};

void PrintTo(const EnterCase& c, std::ostream* os) { *os << c.name; }

class LookupEnter : public LookupKeys, public ::testing::WithParamInterface<EnterCase> {};

TEST_P(LookupEnter, EnterConfirmsMarkingTheOneRowInViewOnlyWhenNothingIsMarked) {
    const EnterCase& c = GetParam();
    for (data.First(); !data.Eof(); data.Next()) {
        data.Edit();
        mark.SetAsString(name.AsString() == c.marked ? "S" : "");
        data.Post();
    }
    Run([&](TfrmPesquisaLista& d) {
        Activate(d);
        TypeKeys(c.filter);
        PressKey(Qt::Key_Return);
    });
    EXPECT_EQ(result, c.result);
}

INSTANTIATE_TEST_SUITE_P(
    OneOrMoreRowsInView, LookupEnter,
    ::testing::Values(EnterCase{"OneRowNothingMarked", "", "plan",
                                R"(["Planejamento Alim. Industrial"])"},
                      EnterCase{"OneRowAnotherMarked", "Estoque", "plan", R"(["Estoque"])"},
                      EnterCase{"TwoRowsNothingMarked", "", "/", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LookupKeys, CtrlAMarksTheRowsInViewAndEscKeepsTheEarlierChoice) {
    Run([](TfrmPesquisaLista& d) {
        Activate(d);
        EXPECT_EQ(CountLine(d), "0 de 4 marcados");
        TypeKeys("/");
        PressKey(Qt::Key_A, Qt::ControlModifier);
        EXPECT_EQ(d.Marked(), (QList<bool>{true, true, false, false}));
        EXPECT_EQ(d.findChild<QLineEdit*>("edtFiltro")->text(), "/");
        PressKey(Qt::Key_Tab);
        d.SetFilter("");
        PressKey(Qt::Key_A, Qt::ControlModifier);
        EXPECT_EQ(CountLine(d), "4 de 4 marcados");
        PressKey(Qt::Key_Escape);
    });
    EXPECT_EQ(result, "anterior");
    EXPECT_EQ(Marks(), (QStringList{"", "", "", ""}));
}

TEST_F(LookupList, SourceWithoutDatasetIsAnError) {
    TDataSource empty;
    EXPECT_THROW(PesquisaLista(&empty, "SISTEMA", "Sistema", false, result), Exception);
    EXPECT_THROW(PesquisaLista(nullptr, "SISTEMA", "Sistema", false, result), Exception);
    EXPECT_EQ(result, "anterior");
}

// A screen reader hears each row as a check box, marked or not, in step
// with Space; the list by its title, the filter and the count by name.
TEST_F(LookupKeys, ScreenReaderReadsEachRowAsACheckBoxMarkedOrNot) {
    AddRow("Fiscal", "S");
    Run([](TfrmPesquisaLista& d) {
        Activate(d);
        PressKey(Qt::Key_Tab);  // from the filter to the list, on its first row
        PressKey(Qt::Key_Space);
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(&List(d));
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->text(QAccessible::Name), "Sistema");
        QAccessibleTableInterface* table = list->tableInterface();
        ASSERT_NE(table, nullptr);
        QList<bool> checked;
        QStringList described;
        for (int row = 0; row < table->rowCount(); ++row) {
            QAccessibleInterface* cell = table->cellAt(row, 0);
            ASSERT_NE(cell, nullptr);
            EXPECT_TRUE(cell->state().checkable) << row;
            checked << bool(cell->state().checked);
            described << cell->text(QAccessible::Description);
        }
        EXPECT_EQ(checked, (QList<bool>{true, false, false, false, true}));
        EXPECT_EQ(described,
                  (QStringList{"marcado", "não marcado", "não marcado", "não marcado", "marcado"}));
        EXPECT_EQ(QAccessible::queryAccessibleInterface(d.findChild<QLineEdit*>("edtFiltro"))
                      ->text(QAccessible::Name),
                  "Filtro");
        EXPECT_EQ(QAccessible::queryAccessibleInterface(d.findChild<QLabel*>("lblMarcados"))
                      ->text(QAccessible::Name),
                  "2 de 5 marcados");
        PressKey(Qt::Key_Escape);
    });
}

}  // namespace
