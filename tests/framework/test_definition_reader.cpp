#include <gtest/gtest.h>

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <cmath>
#include <iterator>
#include <limits>

#include "DefinitionReader.h"

namespace {

using Kind = DefinitionValue::Kind;

DefinitionObject Read(const QByteArray& text) { return ReadDefinition(text, "teste.dfm"); }

// The value of the only property of a one-property form.
DefinitionValue ValueOf(const QByteArray& propertyLine) {
    const DefinitionObject root = Read("object frm: TForm\n  " + propertyLine + "\nend\n");
    EXPECT_EQ(root.properties.size(), 1u);
    return root.properties.at(0).value;
}

QString ValueText(const QByteArray& valueText) { return ValueOf("Caption = " + valueText).text; }

// A canonical dump of a tree without positions: two trees are structurally
// equal exactly when their dumps are.
QString Dump(const DefinitionValue& value);

QString DumpProperties(const std::vector<DefinitionProperty>& properties) {
    QString out;
    for (const DefinitionProperty& property : properties) {
        out += property.name + '=' + Dump(property.value) + ';';
    }
    return out;
}

QString Dump(const DefinitionValue& value) {
    QString out = value.KindName() + ':';
    switch (value.kind) {
        case Kind::Integer:
            return out + QString::number(value.integer);
        case Kind::Float:
            return out + QString::number(value.real, 'g', 17) +
                   (std::signbit(value.real) ? "-" : "+");
        case Kind::String:
        case Kind::Identifier:
            for (const QChar c : value.text) out += QString::number(c.unicode(), 16) + ',';
            return out;
        case Kind::Set:
            return out + value.set.join(',');
        case Kind::List:
            for (const DefinitionValue& item : value.items) out += '(' + Dump(item) + ')';
            return out;
        case Kind::Collection:
            for (const auto& item : value.collection)
                out += '<' + DumpProperties(item.properties) + '>';
            return out;
        case Kind::Binary:
            return out + QString::fromLatin1(value.binary.toHex());
    }
    return out;
}

QString Dump(const DefinitionObject& object) {
    QString out = QString("%1 %2:%3{").arg(int(object.kind)).arg(object.name, object.className);
    out += DumpProperties(object.properties);
    for (const DefinitionObject& child : object.children) out += Dump(child);
    return out + '}';
}

DefinitionValue Scalar(Kind kind) {
    DefinitionValue value;
    value.kind = kind;
    return value;
}

DefinitionProperty Property(const QString& name, DefinitionValue value) {
    DefinitionProperty property;
    property.name = name;
    property.value = std::move(value);
    return property;
}

DefinitionValue Text(const QString& text) {
    DefinitionValue value = Scalar(Kind::String);
    value.text = text;
    return value;
}

DefinitionValue Real(double real) {
    DefinitionValue value = Scalar(Kind::Float);
    value.real = real;
    return value;
}

// Restores the default QLocale, so a test can read under a comma-decimal one.
class DefaultLocaleGuard {
public:
    explicit DefaultLocaleGuard(const QLocale& locale) { QLocale::setDefault(locale); }
    ~DefaultLocaleGuard() { QLocale::setDefault(saved_); }

private:
    QLocale saved_;
};

}  // namespace

TEST(DefinitionReaderValues, IntegersInDecimalAndHex) {
    EXPECT_EQ(ValueOf("Left = 437").integer, 437);
    EXPECT_EQ(ValueOf("Left = -12").integer, -12);
    EXPECT_EQ(ValueOf("Left = $FF").integer, 255);
    EXPECT_EQ(ValueOf("Left = -$1a").integer, -26);
    EXPECT_EQ(ValueOf("Left = 9223372036854775807").integer, std::numeric_limits<qlonglong>::max());
    EXPECT_EQ(ValueOf("Left = -9223372036854775808").integer,
              std::numeric_limits<qlonglong>::min());
    EXPECT_EQ(ValueOf("Left = 0").kind, Kind::Integer);
}

TEST(DefinitionReaderValues, RealsIgnoreTheLocale) {
    DefaultLocaleGuard guard(QLocale(QLocale::Portuguese, QLocale::Brazil));
    EXPECT_DOUBLE_EQ(ValueOf("Ratio = 1.5").real, 1.5);
    EXPECT_DOUBLE_EQ(ValueOf("Ratio = -0.25").real, -0.25);
    EXPECT_DOUBLE_EQ(ValueOf("Ratio = 1.5E3").real, 1500);
    EXPECT_DOUBLE_EQ(ValueOf("Ratio = 2e-3").real, 0.002);
    EXPECT_EQ(ValueOf("Ratio = 1e+2").kind, Kind::Float);
}

TEST(DefinitionReaderValues, QuotedTextAndCharacterCodes) {
    EXPECT_EQ(ValueText("'Relat'#243'rio'"), QString::fromUtf8("Relatório"));
    EXPECT_EQ(ValueText("'d''Avila'"), "d'Avila");
    EXPECT_EQ(ValueText("''''"), "'");
    EXPECT_EQ(ValueText("''"), "");
    EXPECT_EQ(ValueText("#13#10"), "\r\n");
    EXPECT_EQ(ValueText("#$41'b'"), "Ab");
    EXPECT_EQ(ValueText("'Data // inicial'"), "Data // inicial");
}

TEST(DefinitionReaderValues, CodesBelow256AreWindows1252) {
    EXPECT_EQ(ValueText("#128"), QString(QChar(0x20AC)));  // euro sign
    EXPECT_EQ(ValueText("#150"), QString(QChar(0x2013)));  // en dash
    EXPECT_EQ(ValueText("#159"), QString(QChar(0x0178)));
    EXPECT_EQ(ValueText("#129#141#143#144#157"),
              QString::fromUtf16(u"\u0081\u008D\u008F\u0090\u009D"));
    EXPECT_EQ(ValueText("#231#227"), QString::fromUtf8("çã"));
    EXPECT_EQ(ValueText("#0").at(0).unicode(), 0);
}

TEST(DefinitionReaderValues, CodesFrom256AreCodePoints) {
    EXPECT_EQ(ValueText("#8364"), QString(QChar(0x20AC)));
    EXPECT_EQ(ValueText("#256"), QString(QChar(0x0100)));
    EXPECT_EQ(ValueText("#128512"), QString::fromUtf8("\xF0\x9F\x98\x80"));
    EXPECT_EQ(ValueText("#1114111").size(), 2);
}

TEST(DefinitionReaderValues, QuotedBytesAreWindows1252) {
    EXPECT_EQ(ValueText(QByteArray("'Ter\xE7") + "a'"), QString::fromUtf8("Terça"));
    EXPECT_EQ(ValueText("'\x80 10'"), QString::fromUtf8("€ 10"));
    // Upper-case accented letters are bytes that start UTF-8 sequences.
    EXPECT_EQ(ValueText("'A\xC7\xC3O N\xC3O \xC9'"), QString::fromUtf8("AÇÃO NÃO É"));
}

TEST(DefinitionReaderValues, PlusJoinsTextAcrossLines) {
    EXPECT_EQ(ValueText("'O arquivo ' +\n    'de c'#243'digo ' +\n    #39'%s'#39"),
              QString::fromUtf8("O arquivo de código '%s'"));
}

TEST(DefinitionReaderValues, IdentifiersMayBeDotted) {
    const DefinitionValue value = ValueOf("DataSet = Form1.cdsSist");
    EXPECT_EQ(value.kind, Kind::Identifier);
    EXPECT_EQ(value.text, "Form1.cdsSist");
    EXPECT_EQ(ValueOf("Visible = True").text, "True");
}

TEST(DefinitionReaderValues, Sets) {
    EXPECT_EQ(ValueOf("Font.Style = [fsBold, fsItalic]").set, QStringList({"fsBold", "fsItalic"}));
    const DefinitionValue empty = ValueOf("Font.Style = []");
    EXPECT_EQ(empty.kind, Kind::Set);
    EXPECT_TRUE(empty.set.isEmpty());
}

TEST(DefinitionReaderValues, ListsHoldAnyValues) {
    const DefinitionValue list =
        ValueOf("Items.Strings = (\n    'a|b'\n    12\n    clRed\n    ('x'))");
    ASSERT_EQ(list.kind, Kind::List);
    ASSERT_EQ(list.items.size(), 4u);
    EXPECT_EQ(list.items[0].text, "a|b");
    EXPECT_EQ(list.items[1].integer, 12);
    EXPECT_EQ(list.items[2].kind, Kind::Identifier);
    EXPECT_EQ(list.items[3].items.at(0).text, "x");
    EXPECT_TRUE(ValueOf("Items.Strings = ()").items.empty());
}

TEST(DefinitionReaderValues, CollectionsOfItems) {
    const DefinitionValue value = ValueOf(
        "Columns = <\n    item\n      Width = 40\n      Title = 'A'\n    end\n    item\n    end>");
    ASSERT_EQ(value.kind, Kind::Collection);
    ASSERT_EQ(value.collection.size(), 2u);
    ASSERT_EQ(value.collection[0].properties.size(), 2u);
    EXPECT_EQ(value.collection[0].properties[1].name, "Title");
    EXPECT_TRUE(value.collection[1].properties.empty());
    EXPECT_TRUE(ValueOf("Columns = <>").collection.empty());
}

TEST(DefinitionReaderValues, BinaryAcrossLines) {
    const DefinitionValue value = ValueOf("Glyph.Data = {\n    0A0b FF\n    00}");
    EXPECT_EQ(value.kind, Kind::Binary);
    EXPECT_EQ(value.binary, QByteArray::fromHex("0A0BFF00"));
    EXPECT_TRUE(ValueOf("Glyph.Data = {}").binary.isEmpty());
}

TEST(DefinitionReaderStructure, NestedAndInheritedObjectsWithPositions) {
    const DefinitionObject root = Read(
        "inherited frmLimpDados: TfrmLimpDados\n"
        "  Caption = 'x'\n"
        "  inherited grbDadosRel: TGroupBox\n"
        "    object GroupBox2: TGroupBox\n"
        "      Left = 8\n"
        "    end\n"
        "  end\n"
        "  object dtsSist: TDataSource\n"
        "  end\n"
        "end\n");
    EXPECT_EQ(root.kind, DefinitionObject::Kind::Inherited);
    EXPECT_EQ(root.className, "TfrmLimpDados");
    ASSERT_EQ(root.children.size(), 2u);
    const DefinitionObject& group = root.children[0].children.at(0);
    EXPECT_EQ(group.kind, DefinitionObject::Kind::Object);
    EXPECT_EQ(group.name, "GroupBox2");
    EXPECT_EQ(group.line, 4);
    EXPECT_EQ(group.column, 5);
    EXPECT_EQ(group.properties.at(0).line, 5);
    EXPECT_EQ(group.properties.at(0).column, 7);
    EXPECT_EQ(group.properties.at(0).value.column, 14);
    EXPECT_EQ(root.children[1].name, "dtsSist");
}

TEST(DefinitionReaderStructure, KeywordsIgnoreCaseAndCommentsAreSkipped) {
    const DefinitionObject root = Read(
        "// a form\nOBJECT frm: TForm // the screen\n  Object lbl: TLabel\n  END\n"
        "  Items = <ITEM End>\nEnd");
    EXPECT_EQ(root.children.size(), 1u);
    EXPECT_EQ(root.properties.at(0).value.collection.size(), 1u);
}

TEST(DefinitionReaderStructure, CrLfAndLoneCrCountAsOneLineBreak) {
    const DefinitionObject root = Read("object frm: TForm\r\n\r\n  Left = 1\rTop = 2\r\nend\r\n");
    EXPECT_EQ(root.properties.at(0).line, 3);
    EXPECT_EQ(root.properties.at(1).line, 4);
    EXPECT_EQ(root.properties.at(1).column, 1);
}

TEST(DefinitionReaderStructure, DeepNestingIsAnErrorNotACrash) {
    QByteArray objects;
    for (int i = 0; i < 200; ++i) objects += "object a: T\n";
    for (int i = 0; i < 200; ++i) objects += "end\n";
    EXPECT_NO_THROW(Read(objects));
    try {
        Read("object b: T\n" + objects);
        FAIL() << "201 levels accepted";
    } catch (const EDefinitionError& error) {
        EXPECT_EQ(error.What(),
                  QString::fromUtf8("aninhamento profundo demais (mais de 200 níveis)"));
        EXPECT_EQ(error.Line(), 201);
    }
    EXPECT_THROW(ValueOf("X = " + QByteArray(100000, '(')), EDefinitionError);
    EXPECT_THROW(ValueOf("X = " + QByteArray(100000, '<')), EDefinitionError);
}

// A broken definition and exactly what the reader must say about it.
struct BadDefinition {
    const char* name;
    const char* text;
    int line;
    int column;
    const char* path;
    const char* what;
};

class DefinitionReaderErrors : public ::testing::TestWithParam<BadDefinition> {};

TEST_P(DefinitionReaderErrors, ReportsWhereAndWhat) {
    const BadDefinition& bad = GetParam();
    try {
        Read(QByteArray(bad.text));
        FAIL() << "accepted: " << bad.text;
    } catch (const EDefinitionError& error) {
        EXPECT_EQ(error.What(), QString::fromUtf8(bad.what));
        EXPECT_EQ(error.Line(), bad.line);
        EXPECT_EQ(error.Column(), bad.column);
        EXPECT_EQ(error.Path(), bad.path);
        EXPECT_EQ(error.Source(), "teste.dfm");
    }
}

#define FRM "object frm: TForm\n"

INSTANTIATE_TEST_SUITE_P(
    BadFiles, DefinitionReaderErrors,
    ::testing::Values(
        BadDefinition{"Empty", "", 1, 1, "", "fim inesperado do arquivo"},
        BadDefinition{"OnlyBlanks", "  \n", 2, 1, "", "fim inesperado do arquivo"},
        BadDefinition{"Inline", "inline a: TA\nend", 1, 1, "", "esperado 'object' ou 'inherited'"},
        BadDefinition{"NoName", "object : TForm\nend", 1, 8, "", "esperado nome do componente"},
        BadDefinition{"NoColon", "object frm TForm\nend", 1, 12, "frm", "esperado ':'"},
        BadDefinition{"NoClass", "object frm:\nend", 2, 1, "frm", "esperado nome da classe"},
        BadDefinition{"DottedClass", "object frm: A.B\nend", 1, 13, "frm",
                      "esperado nome da classe"},
        BadDefinition{"Truncated", FRM "  Left = 1\n", 3, 1, "frm", "fim inesperado do arquivo"},
        BadDefinition{"GarbageAfterEnd", FRM "end\nend", 3, 1, "", "texto após o fim da definição"},
        BadDefinition{"NoEquals", FRM "  Left 10\nend", 2, 8, "frm", "esperado '='"},
        BadDefinition{"NoValue", FRM "  Left =\nend", 3, 1, "frm", "esperado um valor"},
        BadDefinition{"TwoValues", FRM "  Left = 1 2\nend", 2, 12, "frm", "valor inesperado"},
        BadDefinition{"StraySymbol", FRM "  = 1\nend", 2, 3, "frm", "esperado 'end'"},
        BadDefinition{"UnexpectedChar", FRM "  Left = @\nend", 2, 10, "frm",
                      "caractere inesperado"},
        BadDefinition{"LoneMinus", FRM "  Left = -\nend", 2, 10, "frm", "caractere inesperado"},
        BadDefinition{"Unterminated", FRM "  Caption = 'abc\nend", 2, 13, "frm",
                      "texto não terminado"},
        BadDefinition{"UnterminatedAtEof", FRM "  Caption = 'a'#65'b", 2, 19, "frm",
                      "texto não terminado"},
        BadDefinition{"Utf8Text", FRM "  Caption = 'Relat\xC3\xB3rio de Limpeza'\nend", 2, 13, "frm",
                      "texto gravado em UTF-8 (\"Relatório de Limpeza\"); o arquivo deve estar em "
                      "Windows-1252"},
        BadDefinition{"CodeTooLarge", FRM "  Caption = 'a'#1114112\nend", 2, 16, "frm",
                      "código de caractere fora do intervalo"},
        BadDefinition{"CodeHuge", FRM "  Caption = #99999999999999999999999\nend", 2, 13, "frm",
                      "código de caractere fora do intervalo"},
        BadDefinition{"CodeWithoutDigits", FRM "  Caption = #x\nend", 2, 13, "frm",
                      "código de caractere inválido"},
        BadDefinition{"PlusThenEnd", FRM "  Caption = 'a' +\nend", 3, 1, "frm",
                      "esperado texto após '+'"},
        BadDefinition{"PlusThenNumber", FRM "  Caption = 'a' + 5\nend", 2, 19, "frm",
                      "esperado texto após '+'"},
        BadDefinition{"IntegerTooLarge", FRM "  Tag = 9223372036854775808\nend", 2, 9, "frm",
                      "número fora do intervalo"},
        BadDefinition{"HexTooLarge", FRM "  Tag = $10000000000000000\nend", 2, 9, "frm",
                      "número fora do intervalo"},
        BadDefinition{"RealTooLarge", FRM "  Ratio = 1e999\nend", 2, 11, "frm",
                      "número fora do intervalo"},
        BadDefinition{"DigitsThenLetters", FRM "  Left = 12abc\nend", 2, 10, "frm",
                      "número inválido"},
        BadDefinition{"TwoDots", FRM "  Ratio = 1.5.3\nend", 2, 11, "frm", "número inválido"},
        BadDefinition{"NoFraction", FRM "  Ratio = 1.\nend", 2, 11, "frm", "número inválido"},
        BadDefinition{"EmptyHex", FRM "  Tag = $\nend", 2, 9, "frm", "número inválido"},
        BadDefinition{"TrailingDot", FRM "  Font. = 1\nend", 2, 3, "frm", "identificador inválido"},
        BadDefinition{"SetUnterminated", FRM "  Font.Style = [fsBold", 2, 16, "frm",
                      "conjunto não terminado"},
        BadDefinition{"SetNoComma", FRM "  Font.Style = [fsBold fsItalic]\nend", 2, 24, "frm",
                      "esperado ',' ou ']'"},
        BadDefinition{"SetTrailingComma", FRM "  Font.Style = [fsBold,]\nend", 2, 24, "frm",
                      "esperado identificador no conjunto"},
        BadDefinition{"ListUnterminated", FRM "  Lines.Strings = (\n    'a'\n", 2, 19, "frm",
                      "lista não terminada"},
        BadDefinition{"ListWithSymbol", FRM "  Lines.Strings = ('a' = )\nend", 2, 24, "frm",
                      "esperado ')'"},
        BadDefinition{"CollectionUnterminated", FRM "  Items = <\n    item\n    end\n", 2, 11,
                      "frm", "coleção não terminada"},
        BadDefinition{"CollectionWithoutItem", FRM "  Items = <\n    Width = 1\n  >\nend", 3, 5,
                      "frm", "esperado 'item' ou '>'"},
        BadDefinition{"ItemWithoutEnd", FRM "  Items = <item Width = 1 >\nend", 2, 27, "frm",
                      "esperado 'end'"},
        BadDefinition{"ObjectInItem", FRM "  Items = <item object x: T end end>\nend", 2, 17, "frm",
                      "esperado 'end'"},
        BadDefinition{"BinaryOdd", FRM "  Glyph.Data = {\n    0A0B0}\nend", 2, 16, "frm",
                      "dados binários com número ímpar de dígitos"},
        BadDefinition{"BinaryUnterminated", FRM "  Glyph.Data = {0A0B\n", 2, 16, "frm",
                      "dados binários não terminados"},
        BadDefinition{"BinaryNotHex", FRM "  Glyph.Data = {0A0G}\nend", 2, 20, "frm",
                      "caractere inválido em dados binários"},
        BadDefinition{"PathOfNestedComponent",
                      "object frmLimpDados: TfrmLimpDados\n"
                      "  inherited grbDadosRel: TGroupBox\n"
                      "    object GroupBox2: TGroupBox\n"
                      "      object depDtIni: TDateEditPlus\n"
                      "        Left =\n"
                      "      end\n    end\n  end\nend\n",
                      6, 7, "frmLimpDados.grbDadosRel.GroupBox2.depDtIni", "esperado um valor"},
        BadDefinition{"PathAfterChildEnds", FRM "  object lbl: TLabel\n  end\n  Left 1\nend", 4, 8,
                      "frm", "esperado '='"}),
    [](const ::testing::TestParamInfo<BadDefinition>& info) {
        return std::string(info.param.name);
    });

#undef FRM

TEST(DefinitionReaderMessages, NameSourceLineColumnAndPath) {
    try {
        ReadDefinition("object frm: TForm\n  Caption = 'abc\nend", "Cli_rcl04700.dfm");
        FAIL();
    } catch (const EDefinitionError& error) {
        EXPECT_EQ(error.Message(),
                  QString::fromUtf8("Cli_rcl04700.dfm:2:13: frm: texto não terminado"));
    }
}

TEST(DefinitionReaderMessages, NulByteIsAnUnexpectedCharacter) {
    try {
        Read(QByteArray("object frm: TForm\n\0end\n", 23));
        FAIL();
    } catch (const EDefinitionError& error) {
        EXPECT_EQ(error.Message(), QString::fromUtf8("teste.dfm:2:1: frm: caractere inesperado"));
    }
}

TEST(DefinitionReaderFiles, ReadsResourceAsWindows1252) {
    const DefinitionObject root = ReadDefinitionFile(":/tests/definition_reader/sample.dfm");
    EXPECT_EQ(root.properties.at(1).value.text, QString::fromUtf8("Relatório de Limpeza de Dados"));
    const DefinitionObject& date = root.children.at(0).children.at(0);
    EXPECT_EQ(date.properties.at(0).value.items.at(1).text, QString::fromUtf8("Terça"));
    EXPECT_EQ(date.properties.at(1).value.binary, QByteArray::fromHex("0A0B0C0D0E0F"));
}

TEST(DefinitionReaderFiles, ErrorsNameTheFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("broken.dfm");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("object frm: TForm\n  Left = 1\n");
    file.close();
    try {
        ReadDefinitionFile(path);
        FAIL();
    } catch (const EDefinitionError& error) {
        EXPECT_EQ(error.Source(), path);
        EXPECT_EQ(error.Line(), 3);
    }
}

TEST(DefinitionReaderFiles, MissingFileCannotBeOpened) {
    for (const QString& path :
         {QString(":/tests/definition_reader/none.dfm"), QString("/nonexistent/x.dfm")}) {
        try {
            ReadDefinitionFile(path);
            FAIL() << path.toStdString();
        } catch (const EDefinitionError& error) {
            EXPECT_EQ(error.Message(),
                      path + QString::fromUtf8(": não foi possível abrir a definição"));
        }
    }
}

TEST(DefinitionWriter, WritesTheClassicLayout) {
    DefinitionObject root;
    root.name = "frm";
    root.className = "TForm";
    DefinitionValue list = Scalar(Kind::List);
    list.items = {Text("a|b"), Text("Ter\u00e7a")};
    DefinitionValue binary = Scalar(Kind::Binary);
    binary.binary = QByteArray(33, '\x0b');
    root.properties = {Property("Caption", Text("d'Avila \u20ac")), Property("Lines", list),
                       Property("Data", binary)};
    DefinitionObject child;
    child.kind = DefinitionObject::Kind::Inherited;
    child.name = "lbl";
    child.className = "TLabel";
    root.children = {child};
    EXPECT_EQ(WriteDefinition(root),
              "object frm: TForm\n"
              "  Caption = 'd''Avila '#8364\n"
              "  Lines = (\n"
              "    'a|b'\n"
              "    'Ter'#231'a')\n"
              "  Data = {\n"
              "    " +
                  QByteArray("0B").repeated(32) +
                  "\n"
                  "    0B}\n"
                  "  inherited lbl: TLabel\n"
                  "  end\n"
                  "end\n");
}

TEST(DefinitionWriter, RoundTripsEveryKind) {
    DefinitionObject root;
    root.name = "frmDemo";
    root.className = "TfrmDemo";
    DefinitionValue integer = Scalar(Kind::Integer);
    integer.integer = std::numeric_limits<qlonglong>::min();
    DefinitionValue identifier = Scalar(Kind::Identifier);
    identifier.text = "Form1.cds";
    DefinitionValue set = Scalar(Kind::Set);
    set.set = QStringList{"fsBold", "fsItalic"};
    DefinitionValue binary = Scalar(Kind::Binary);
    for (int i = 0; i < 300; ++i) binary.binary += char(i * 7);
    DefinitionValue::Item item;
    item.properties = {Property("Width", integer), Property("Title", Text("x"))};
    DefinitionValue collection = Scalar(Kind::Collection);
    collection.collection = {item, DefinitionValue::Item{}};
    DefinitionValue list = Scalar(Kind::List);
    list.items = {Text(""), identifier, collection, Scalar(Kind::List), Scalar(Kind::Set)};
    const char16_t units[] = u"'\r\n\t\0\x7f\x81\x9d\xa0\xff\u0100\u20ac\U0001F600\xD800x";
    const QString odd = QString::fromUtf16(units, std::size(units) - 1);
    root.properties = {Property("A", integer),
                       Property("B", Real(0.1)),
                       Property("C", Real(2)),
                       Property("D", Real(-0.0)),
                       Property("E", Real(5e-324)),
                       Property("F", Real(1e300)),
                       Property("G", Text(odd)),
                       Property("H", identifier),
                       Property("I", set),
                       Property("J", binary),
                       Property("K", list),
                       Property("L", collection),
                       Property("M", Scalar(Kind::Collection)),
                       Property("N", Scalar(Kind::Binary))};
    DefinitionObject child = root;
    child.kind = DefinitionObject::Kind::Inherited;
    child.name = "child";
    root.children = {child, child};
    const QByteArray written = WriteDefinition(root);
    for (const char c : written) EXPECT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7f)) << int(c);
    EXPECT_EQ(Dump(Read(written)), Dump(root));
}

TEST(DefinitionWriter, RoundTripsWhatWasRead) {
    const DefinitionObject first = ReadDefinitionFile(":/tests/definition_reader/sample.dfm");
    EXPECT_EQ(Dump(Read(WriteDefinition(first))), Dump(first));
}

TEST(DefinitionWriter, ControlCharactersWithoutByteBecomeQuestionMarks) {
    DefinitionObject root;
    root.name = "frm";
    root.className = "TForm";
    root.properties = {Property("Caption", Text(QString::fromUtf16(u"a\u0080\u0085b")))};
    EXPECT_EQ(ValueText(WriteDefinition(root).split('\n').at(1).mid(12)), "a??b");
}

TEST(DefinitionWriter, RealsThatAreNotFiniteAreRefused) {
    DefinitionObject root;
    root.name = "frm";
    root.className = "TForm";
    root.properties = {Property("Ratio", Real(std::numeric_limits<double>::quiet_NaN()))};
    EXPECT_THROW(WriteDefinition(root), EDefinitionError);
}

TEST(Windows1252, EveryByteMapsAndTheDefinedOnesMapBack) {
    QByteArray all;
    for (int i = 0; i < 256; ++i) all += char(i);
    const QString text = FromWindows1252(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(text.at(0x80).unicode(), 0x20AC);
    EXPECT_EQ(text.at(0x8A).unicode(), 0x0160);
    EXPECT_EQ(text.at(0x99).unicode(), 0x2122);
    EXPECT_EQ(text.at(0x81).unicode(), 0x0081);
    EXPECT_EQ(text.at(0xE9).unicode(), 0x00E9);
    EXPECT_EQ(ToWindows1252(text), all);
}

TEST(Windows1252, MissingCharactersBecomeOneQuestionMarkEach) {
    EXPECT_EQ(ToWindows1252(QString::fromUtf16(u"\u0100\u0080x\U0001F600\xDC00")), "??x??");
    EXPECT_EQ(ToWindows1252(QString::fromUtf8("Relatório – €")), "Relat\xF3rio \x96 \x80");
}
