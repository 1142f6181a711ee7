// The framework's classes as definitions name them, with their property
// tables. Properties common to every control live on "TControl".
#include "Buttons.h"
#include "ClassRegistry.h"
#include "ClientDataSet.h"
#include "Forms.h"
#include "StdCtrls.h"

namespace {

void ApplyFont(QWidget& w, const std::function<void(QFont&)>& change) {
    QFont font = w.font();
    change(font);
    w.setFont(font);
}

void SetTextColor(QWidget& w, TColor color) {
    QPalette palette = w.palette();
    // Disabled text keeps the system's grey, as it does under Windows.
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::WindowText, ToQColor(color));
        palette.setColor(group, QPalette::Text, ToQColor(color));
    }
    ApplyPalette(w, palette);
}

// Properties any widget takes: the form's root and every control.
template <class T>
void AddWidgetProperties(ClassBuilder<T>& b) {
    b.Prop("Font.Name", [](T& w, const DefinitionValue& v) { ApplyFont(w, [&](QFont& f) { SetFontName(f, StringValue(v)); }); })
        .Prop("Font.Height", [](T& w, const DefinitionValue& v) { ApplyFont(w, [&](QFont& f) { SetFontHeight(f, IntValue(v)); }); })
        .Prop("Font.Style", [](T& w, const DefinitionValue& v) { ApplyFont(w, [&](QFont& f) { SetFontStyle(f, IdentSetValue(v)); }); })
        .Prop("Font.Color", [](T& w, const DefinitionValue& v) { SetTextColor(w, ColorValue(v)); })
        .Prop("Font.Charset", [](T&, const DefinitionValue& v) {
            if (IdentValue(v) != "DEFAULT_CHARSET" && IdentValue(v) != "ANSI_CHARSET")
                throw EPropertyValue(QStringLiteral("conjunto de caracteres não suportado '%1'").arg(v.text));
        })
        .Prop("ParentFont", [](T& w, const DefinitionValue& v) {
            if (BoolValue(v)) w.setFont(QFont());
        });
}

void RegisterControl() {
    auto b = RegisterClass<QWidget>("TControl", "", true);
    AddWidgetProperties(b);
    b.Prop("Left", [](QWidget& w, const DefinitionValue& v) { w.move(IntValue(v), w.y()); })
        .Prop("Top", [](QWidget& w, const DefinitionValue& v) { w.move(w.x(), IntValue(v)); })
        .Prop("Width", [](QWidget& w, const DefinitionValue& v) { w.resize(IntValue(v), w.height()); })
        .Prop("Height", [](QWidget& w, const DefinitionValue& v) { w.resize(w.width(), IntValue(v)); })
        .Prop("Enabled", [](QWidget& w, const DefinitionValue& v) { w.setEnabled(BoolValue(v)); })
        .Prop("Visible", [](QWidget& w, const DefinitionValue& v) { w.setVisible(BoolValue(v)); })
        .Prop("TabOrder", [](QWidget& w, const DefinitionValue& v) { w.setProperty("TabOrder", IntValue(v)); })
        .Prop("TabStop", [](QWidget& w, const DefinitionValue& v) {
            w.setFocusPolicy(BoolValue(v) ? Qt::StrongFocus : Qt::ClickFocus);
        })
        .Prop("Hint", [](QWidget& w, const DefinitionValue& v) { SetControlHint(&w, StringValue(v)); })
        .Prop("ShowHint", [](QWidget& w, const DefinitionValue& v) { SetControlShowHint(&w, BoolValue(v)); })
        .Prop("Color", [](QWidget& w, const DefinitionValue& v) {
            QPalette palette = w.palette();
            for (auto role : {QPalette::Base, QPalette::Window, QPalette::Button}) palette.setColor(role, ToQColor(ColorValue(v)));
            ApplyPalette(w, palette);
            w.setAutoFillBackground(true);
        })
        .Prop("AccessibleName", [](QWidget& w, const DefinitionValue& v) { w.setAccessibleName(StringValue(v)); })
        .Prop("AccessibleDescription",
              [](QWidget& w, const DefinitionValue& v) { w.setAccessibleDescription(StringValue(v)); })
        .Skip("ParentShowHint", "o balão de ajuda segue ShowHint do próprio controle");
}

template <class T>
ClassBuilder<T> RegisterControlClass(const QString& name) {
    auto b = RegisterClass<T>(name, "TControl", true);
    b.Event("OnEnter", &T::OnEnter).Event("OnExit", &T::OnExit).Event("OnKeyDown", &T::OnKeyDown);
    return b;
}

void RegisterForm() {
    auto b = RegisterClass<TForm>("TForm", "", true);
    AddWidgetProperties(b);
    b.Str("Caption", &TForm::SetCaption)
        .Int("Left", &TForm::SetLeft)
        .Int("Top", &TForm::SetTop)
        .Int("ClientWidth", &TForm::SetClientWidth)
        .Int("ClientHeight", &TForm::SetClientHeight)
        .Prop("Color", [](TForm& f, const DefinitionValue& v) { f.SetColor(ColorValue(v)); })
        .Prop("BorderStyle", [](TForm& f, const DefinitionValue& v) {
            f.SetBorderStyle(static_cast<TFormBorderStyle>(EnumValue(v, {"bsNone", "bsSingle", "bsSizeable", "bsDialog"})));
        })
        .Prop("FormStyle", [](TForm& f, const DefinitionValue& v) {
            f.SetFormStyle(static_cast<TFormStyle>(EnumValue(v, {"fsNormal", "fsMDIChild"})));
        })
        .Prop("Visible", [](TForm& f, const DefinitionValue& v) { f.setProperty("VisibleOnCreate", BoolValue(v)); })
        .Str("HelpFile", &TForm::SetHelpFile)
        .Int("HelpContext", &TForm::SetHelpContext)
        .Event("OnCreate", &TForm::OnCreate)
        .Event("OnActivate", &TForm::OnActivate)
        .Event("OnClose", &TForm::OnClose)
        .Skip("PixelsPerInch", "densidade da tela em que a definição foi desenhada")
        .Skip("TextHeight", "medida do editor de telas")
        .Skip("OldCreateOrder", "o evento de criação roda sempre depois da leitura")
        .Skip("Position", "a posição vem de Left e Top");
}

void RegisterStandardControls() {
    RegisterControlClass<TLabel>("TLabel")
        .Str("Caption", &TLabel::SetCaption)
        .Bool("AutoSize", &TLabel::SetAutoSize)
        .Bool("Transparent", &TLabel::SetTransparent)
        // The control the label stands for: its key focuses it, and a screen
        // reader names it by the label's caption.
        .Prop("FocusControl", [](TLabel& l, const DefinitionValue& v, LoadContext& context) {
            const QString target = IdentValue(v);
            context.AddFixup(v, [&l, target](LoadContext& c) { l.setBuddy(c.ComponentAs<QWidget>(target)); });
        })
        .Prop("Alignment", [](TLabel& l, const DefinitionValue& v) {
            const int a = EnumValue(v, {"taLeftJustify", "taRightJustify", "taCenter"});
            l.setAlignment(a == 0 ? Qt::AlignLeft : a == 1 ? Qt::AlignRight : Qt::AlignHCenter);
        });
    RegisterControlClass<TGroupBox>("TGroupBox").Str("Caption", &TGroupBox::SetCaption);
    RegisterControlClass<TPanel>("TPanel")
        .Str("Caption", &TPanel::SetCaption)
        .Enum("BevelOuter", {"bvNone", "bvLowered", "bvRaised"}, &TPanel::SetBevelOuter)
        .Skip("BevelInner", "um painel mostra só a borda externa");
    RegisterControlClass<TEdit>("TEdit")
        .Str("Text", &TEdit::SetText)
        .Bool("ReadOnly", &TEdit::SetReadOnly)
        .Int("MaxLength", &TEdit::SetMaxLength)
        .Event("OnChange", &TEdit::OnChange);
    RegisterControlClass<TRadioButton>("TRadioButton")
        .Str("Caption", &TRadioButton::SetCaption)
        .Bool("Checked", &TRadioButton::SetChecked)
        .Event("OnClick", &TRadioButton::OnClick);
    RegisterControlClass<TComboBox>("TComboBox")
        .Enum("Style", {"csDropDown", "csSimple", "csDropDownList"}, &TComboBox::SetStyle)
        .Strings("Items.Strings", &TComboBox::SetItems)
        .Int("ItemIndex", &TComboBox::SetItemIndex)
        .Str("Text", &TComboBox::SetText)
        .Event("OnChange", &TComboBox::OnChange);
    RegisterControlClass<TSpeedButton>("TSpeedButton")
        .Str("Caption", &TSpeedButton::SetCaption)
        .Prop("Glyph.Data", [](TSpeedButton& b, const DefinitionValue& v) { b.SetGlyphData(BinaryValue(v)); })
        .Int("NumGlyphs", &TSpeedButton::SetNumGlyphs)
        .Bool("Flat", &TSpeedButton::SetFlat)
        .Event("OnClick", &TSpeedButton::OnClick);
}

void RequireEmptyCollection(const DefinitionValue& v) {
    if (v.kind != DefinitionValue::Kind::Collection || !v.collection.empty())
        throw EPropertyValue(QStringLiteral("só é aceita uma coleção vazia"));
}

void RegisterDataComponents() {
    RegisterClass<TComponent>("TComponent", "", false)
        .Skip("Left", "posição no editor de telas")
        .Skip("Top", "posição no editor de telas");
    RegisterClass<TClientDataSet>("TClientDataSet", "TComponent", false)
        .Prop("Aggregates", [](TClientDataSet&, const DefinitionValue& v) { RequireEmptyCollection(v); })
        .Prop("Params", [](TClientDataSet&, const DefinitionValue& v) { RequireEmptyCollection(v); })
        .Prop("IndexDefs", [](TClientDataSet&, const DefinitionValue& v) { RequireEmptyCollection(v); });
    RegisterClass<TDataSource>("TDataSource", "TComponent", false).Reference("DataSet", &TDataSource::SetDataSet);
    RegisterClass<TField>("TField", "TComponent", false)
        .Str("FieldName", &TField::SetFieldName)
        .Int("Size", &TField::SetSize)
        .Str("DisplayLabel", &TField::SetDisplayLabel);
    RegisterClass<TStringField>("TStringField", "TField", false);
}

}  // namespace

TClassRegistry& ClassRegistry() {
    static TClassRegistry instance;
    // Registration itself goes through ClassRegistry(), so it is guarded by
    // flags rather than by a static initializer.
    static bool registering = false;
    if (!registering) {
        registering = true;
        RegisterControl();
        RegisterForm();
        RegisterStandardControls();
        RegisterDataComponents();
    }
    return instance;
}
