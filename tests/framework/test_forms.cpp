// Forms built from a base definition and a derived one, driven by real input.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <new>

#include "Buttons.h"
#include "ClientDataSet.h"
#include "DefinitionReader.h"
#include "Forms.h"
#include "QtPrinters.h"
#include "StdCtrls.h"

namespace {

QStringList events;  // handlers that ran, in order

class TfrmBase : public TForm {
public:
    using inherited = TForm;
    static constexpr const char* ClassName = "TfrmBase";
    static constexpr const char* Definition = ":/test/forms/base.dfm";
    static void Publish(TPublisher<TfrmBase>& p) {
        p.Field("lblA", &TfrmBase::lblA).Field("edtA", &TfrmBase::edtA).Field("btnGo", &TfrmBase::btnGo);
        p.Handler("FormCreate", &TfrmBase::FormCreate)
            .Handler("FormActivate", &TfrmBase::FormActivate)
            .Handler("FormClose", &TfrmBase::FormClose)
            .Handler("edtAChange", &TfrmBase::edtAChange)
            .Handler("edtAExit", &TfrmBase::edtAExit)
            .Handler("btnGoClick", &TfrmBase::btnGoClick);
    }
    TLabel* lblA = nullptr;
    TEdit* edtA = nullptr;
    TSpeedButton* btnGo = nullptr;
    virtual void FormCreate(TObject*) { events << "base.FormCreate"; }
    void FormActivate(TObject*) { events << "FormActivate"; }
    void FormClose(TObject*, TCloseAction& Action) { Action = caFree; }
    void edtAChange(TObject*) { events << "edtAChange:" + edtA->Text(); }
    void edtAExit(TObject*) { events << "edtAExit"; }
    virtual void btnGoClick(TObject*) { events << "base.btnGoClick"; }
};

class TfrmDerived : public TfrmBase {
public:
    using inherited = TfrmBase;
    static constexpr const char* ClassName = "TfrmDerived";
    static constexpr const char* Definition = ":/test/forms/derived.dfm";
    static void Publish(TPublisher<TfrmDerived>& p) {
        p.Field("rbtUm", &TfrmDerived::rbtUm).Field("rbtDois", &TfrmDerived::rbtDois).Field("edtB", &TfrmDerived::edtB)
            .Field("cdsLista", &TfrmDerived::cdsLista).Field("dtsLista", &TfrmDerived::dtsLista);
        // FormCreate and btnGoClick override the base's: not published here.
        p.Handler("rbtUmClick", &TfrmDerived::rbtUmClick)
            .Handler("rbtDoisClick", &TfrmDerived::rbtDoisClick)
            .Handler("rbtDoisKeyDown", &TfrmDerived::rbtDoisKeyDown);
    }
    TRadioButton* rbtUm = nullptr;
    TRadioButton* rbtDois = nullptr;
    TEdit* edtB = nullptr;
    TClientDataSet* cdsLista = nullptr;
    TDataSource* dtsLista = nullptr;
    void FormCreate(TObject* Sender) override {
        inherited::FormCreate(Sender);
        events << "derived.FormCreate";
    }
    void btnGoClick(TObject* Sender) override {
        events << "derived.btnGoClick";
        inherited::btnGoClick(Sender);
    }
    void rbtUmClick(TObject*) { events << "rbtUmClick"; }
    void rbtDoisClick(TObject*) { events << "rbtDoisClick"; }
    void rbtDoisKeyDown(TObject*, Word& Key, TShiftState Shift) {
        events << QString("keydown:%1:%2").arg(Key).arg(Shift);
        if (Key == VK_F9) throw Exception("falhou F9");
        if (Key == VK_F9 - 1) throw std::bad_alloc();
        if (Key == VK_F1 + 1) Abort();
    }
};

template <const char* Path>
class TfrmBad : public TfrmBase {
public:
    using inherited = TfrmBase;
    static constexpr const char* ClassName = "TfrmDerived";
    static constexpr const char* Definition = Path;
    static void Publish(TPublisher<TfrmBad>&) {}
};

// Publishes a handler its base already publishes, instead of overriding it.
class TfrmRepublishes : public TfrmBase {
public:
    using inherited = TfrmBase;
    static constexpr const char* ClassName = "TfrmDerived";
    static constexpr const char* Definition = ":/test/forms/derived.dfm";
    static void Publish(TPublisher<TfrmRepublishes>& p) { p.Handler("btnGoClick", &TfrmRepublishes::Go); }
    void Go(TObject*) {}
};

class FormsTest : public ::testing::Test {
protected:
    void SetUp() override {
        events.clear();
        messages.clear();
        Application->SetMessageHook([this](TMsgDlgType, const QString& text) { messages << text; });
    }
    void TearDown() override {
        Application->SetMessageHook(nullptr);
        for (TForm* form : Application->Forms()) delete form;
    }
    TfrmDerived* CreateShown() {
        TfrmDerived* form = nullptr;
        Application->CreateForm(form);
        form->Show();
        QApplication::setActiveWindow(form);
        EXPECT_TRUE(QTest::qWaitForWindowActive(form));
        return form;
    }
    QStringList messages;
};

TEST_F(FormsTest, DerivedFormHasBaseAndOwnComponentsWithDerivedChanges) {
    TfrmDerived* form = nullptr;
    Application->CreateForm(form);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->Name(), "frmDerived");
    EXPECT_EQ(form->Caption(), QString::fromUtf8("Relatório derivado"));
    EXPECT_EQ(form->lblA->Caption(), QString::fromUtf8("Opção"));  // overridden
    EXPECT_EQ(form->edtA->Left(), 60);                           // inherited as the base set it
    EXPECT_EQ(form->rbtUm->parentWidget()->objectName(), "grbOpcoes");
    EXPECT_TRUE(form->rbtUm->Checked());
    EXPECT_TRUE(form->rbtUm->font().bold());  // the group's font
    EXPECT_EQ(form->dtsLista->DataSet(), form->cdsLista);
    EXPECT_EQ(form->cdsLista->FieldByName("NOME").Size(), 10);
    EXPECT_EQ(&form->Component<TEdit>("edtB"), form->edtB);
    EXPECT_THROW(form->Component<TEdit>("rbtUm"), Exception);
}

TEST_F(FormsTest, CreateRunsCreateHandlersOnceAfterLoadingWithoutEventsFromLoading) {
    TfrmDerived* form = nullptr;
    Application->CreateForm(form);
    // Checked = True while loading raised no click; the derived create handler,
    // an override the derived class does not publish, called the base's first.
    EXPECT_EQ(events, (QStringList{"base.FormCreate", "derived.FormCreate"}));
}

TEST_F(FormsTest, HandlersReceiveTypedKeysClicksAndFocusChanges) {
    TfrmDerived* form = CreateShown();
    events.clear();
    form->edtA->SetFocus();
    QTest::keyClicks(form->edtA, "ab");
    QTest::keyClick(form->edtA, Qt::Key_Tab);  // to rbtUm (group box, tab order 1)
    QTest::mouseClick(form->btnGo, Qt::LeftButton);
    EXPECT_EQ(events, (QStringList{"edtAChange:a", "edtAChange:ab", "edtAExit", "derived.btnGoClick",
                                   "base.btnGoClick"}));
    EXPECT_TRUE(form->rbtUm->hasFocus()) << "a speed button does not take the focus";
}

TEST_F(FormsTest, RadioClickAndKeyDownWithShiftState) {
    TfrmDerived* form = CreateShown();
    form->rbtUm->SetFocus();
    events.clear();
    QTest::mouseClick(form->rbtDois, Qt::LeftButton);
    QTest::keyClick(form->rbtDois, Qt::Key_F5, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(events, (QStringList{"rbtDoisClick", QString("keydown:116:%1").arg(ssShift | ssCtrl)}));
}

TEST_F(FormsTest, AbortEndsActionSilentlyOtherErrorsBecomeMessages) {
    TfrmDerived* form = CreateShown();
    form->rbtDois->SetFocus();
    QTest::keyClick(form->rbtDois, Qt::Key_F2);  // Abort()
    EXPECT_TRUE(messages.isEmpty());
    QTest::keyClick(form->rbtDois, Qt::Key_F9);  // throws Exception
    EXPECT_EQ(messages, QStringList{"falhou F9"});
    messages.clear();
    QTest::keyClick(form->rbtDois, Qt::Key_F8);  // runs out of memory
    EXPECT_EQ(messages, QStringList{QString::fromUtf8("Não há memória suficiente para concluir esta ação. "
                                                      "Feche outras janelas ou escolha um período menor.")});
}

TEST_F(FormsTest, ExitIsNotRaisedWhenAnotherWindowTakesTheFocus) {
    TfrmDerived* form = CreateShown();
    form->edtA->SetFocus();
    events.clear();
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_FALSE(events.contains("edtAExit"));
}

TEST_F(FormsTest, CloseWithFreeReleasesTheForm) {
    TfrmDerived* form = CreateShown();
    QPointer<TForm> watch(form);
    form->Close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watch.isNull());
    EXPECT_TRUE(Application->Forms().isEmpty());
}

TEST_F(FormsTest, RepublishingABaseHandlerFailsTheCreation) {
    TfrmRepublishes* form = nullptr;
    try {
        Application->CreateForm(form);
        ADD_FAILURE() << "created";
    } catch (const Exception& e) {
        EXPECT_TRUE(e.Message().startsWith("o manipulador 'btnGoClick' já foi publicado")) << e.Message().toStdString();
    }
    EXPECT_EQ(form, nullptr);
    EXPECT_TRUE(Application->Forms().isEmpty());
}

TEST(ComboBoxChange, FollowsTheUserNotTheCode) {
    TComboBox combo;
    QStringList raised;
    combo.OnChange = [&](TObject*) { raised << combo.Text(); };
    combo.SetItems({"um", "dois", "tres"});
    combo.SetItemIndex(1);
    combo.SetText("tres");
    combo.show();  // a csDropDown makes its typing field here
    EXPECT_TRUE(raised.isEmpty()) << raised.join(',').toStdString();
    QTest::keyClick(&combo, Qt::Key_Up);
    QTest::keyClicks(combo.lineEdit(), "s");
    EXPECT_EQ(raised, (QStringList{"dois", "doiss"}));
}

TEST(ScreenCursor, HourGlassIsAnOverrideCursorUntilDefault) {
    Screen->SetCursor(crHourGlass);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    Screen->SetCursor(crHourGlass);
    Screen->SetCursor(crDefault);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(Screen->Cursor(), crDefault);
}

constexpr char kUnknownClass[] = ":/test/forms/unknown_class.dfm";
constexpr char kUnknownProperty[] = ":/test/forms/unknown_property.dfm";
constexpr char kUnknownHandler[] = ":/test/forms/unknown_handler.dfm";
constexpr char kDuplicateName[] = ":/test/forms/duplicate_name.dfm";
constexpr char kWrongKind[] = ":/test/forms/wrong_kind.dfm";
constexpr char kTruncated[] = ":/test/forms/truncated.dfm";
constexpr char kWrongSignature[] = ":/test/forms/wrong_signature.dfm";
constexpr char kMissingInherited[] = ":/test/forms/missing_inherited.dfm";
constexpr char kFocusControlDataset[] = ":/test/forms/focus_control_dataset.dfm";

template <const char* Path>
EDefinitionError LoadError() {
    TfrmBad<Path>* form = reinterpret_cast<TfrmBad<Path>*>(0x1);
    try {
        Application->CreateForm(form);
    } catch (const EDefinitionError& e) {
        EXPECT_EQ(form, nullptr) << "the reference is cleared when creation fails";
        return e;
    }
    ADD_FAILURE() << "no error for " << Path;
    return EDefinitionError("", 0, 0, "", "");
}

TEST_F(FormsTest, BadDefinitionsFailWithWhereAndWhat) {
    struct Case {
        EDefinitionError error;
        int line;
        QString path;
        QString what;
    };
    const Case cases[] = {
        {LoadError<kUnknownClass>(), 2, "frmDerived.edtX", "classe desconhecida 'TEditPlus'"},
        {LoadError<kUnknownProperty>(), 4, "frmDerived.edtX", "propriedade desconhecida 'Colour'"},
        {LoadError<kUnknownHandler>(), 3, "frmDerived.edtX", "manipulador de evento desconhecido 'edtXChange'"},
        {LoadError<kDuplicateName>(), 2, "frmDerived.edtA", "o nome 'edtA' já é usado"},
        {LoadError<kWrongKind>(), 3, "frmDerived.edtX", "esperado número inteiro"},
        {LoadError<kWrongSignature>(), 3, "frmDerived.edtX", "não tem os argumentos deste evento"},
        {LoadError<kMissingInherited>(), 2, "frmDerived.edtZ", "não existe na definição base"},
        {LoadError<kFocusControlDataset>(), 3, "frmDerived.lblA", "'cdsNomes' não serve para esta referência"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what.toStdString());
        EXPECT_EQ(c.error.Line(), c.line);
        EXPECT_EQ(c.error.Path(), c.path);
        EXPECT_TRUE(c.error.What().contains(c.what)) << c.error.What().toStdString();
        EXPECT_TRUE(c.error.Source().endsWith(".dfm"));
    }
    EXPECT_GT(LoadError<kTruncated>().Line(), 0);
    EXPECT_TRUE(Application->Forms().isEmpty());
}

}  // namespace
