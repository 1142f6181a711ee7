#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "Export.h"
#include "SysUtils.h"

// Reads form and report definitions in the classic text format:
//
//   object frmDemo: TfrmDemo            (or: inherited frmDemo: TfrmDemo)
//     Caption = 'Relat'#243'rio'
//     Left = 437
//     Font.Style = [fsBold]
//     Messages.Strings = ('a|b' 'c|d')
//     Glyph.Data = {0A0B0C}
//     OnClick = sbtSistClick
//     object Label1: TLabel ... end
//   end
//
// Strings are quoted with ' ('' is a quote), may be joined with + and may hold
// #nnn character codes. Quoted text and codes below 256 are Windows-1252
// bytes; codes from 256 up are Unicode code points. Numbers use '.' whatever
// the locale; integers may be written in hex as $FF. Keywords (object,
// inherited, end, item) are case-insensitive. As an extension, // starts a
// comment that runs to the end of the line. Nesting of objects and values is
// limited to 200 levels. This is the one reader of such text: it builds a tree
// and knows nothing of components.

// A property value as written.
struct FRAMEWORK_EXPORT DefinitionValue {
    enum class Kind { Integer, Float, String, Identifier, Set, List, Collection, Binary };

    Kind kind = Kind::Integer;
    qlonglong integer = 0;
    double real = 0;
    QString text;                        // String (as Unicode) or Identifier
    QStringList set;                     // Set: the identifiers between [ ]
    std::vector<DefinitionValue> items;  // List: the values between ( )
    QByteArray binary;                   // Binary: the bytes between { }
    struct Item;                         // Collection: the items between < >
    std::vector<Item> collection;
    int line = 0;
    int column = 0;

    // The kind's name in Portuguese, for messages ("número inteiro", "texto"...).
    QString KindName() const;
};

struct FRAMEWORK_EXPORT DefinitionProperty {
    QString name;  // may be dotted: Font.Style
    DefinitionValue value;
    int line = 0;
    int column = 0;
};

struct DefinitionValue::Item {
    std::vector<DefinitionProperty> properties;
};

struct FRAMEWORK_EXPORT DefinitionObject {
    enum class Kind { Object, Inherited };

    Kind kind = Kind::Object;
    QString name;
    QString className;
    std::vector<DefinitionProperty> properties;
    std::vector<DefinitionObject> children;
    int line = 0;
    int column = 0;
};

// A definition that cannot be read or applied: where and what.
class FRAMEWORK_EXPORT EDefinitionError : public Exception {
public:
    // Message: "<source>:<line>:<column>: <path>: <what>", parts left out
    // when unknown.
    EDefinitionError(QString source, int line, int column, QString path, QString what);
    const QString& Source() const { return source_; }
    int Line() const { return line_; }
    int Column() const { return column_; }
    const QString& Path() const { return path_; }
    const QString& What() const { return what_; }

private:
    QString source_;
    int line_;
    int column_;
    QString path_;
    QString what_;
};

// Parses one definition: exactly one top-level object. `source` names the
// definition in messages. Throws EDefinitionError on malformed text.
FRAMEWORK_EXPORT DefinitionObject ReadDefinition(const QByteArray& text, const QString& source);

// Reads a definition from a Qt resource or file path; EDefinitionError when
// it cannot be opened or read.
FRAMEWORK_EXPORT DefinitionObject ReadDefinitionFile(const QString& path);

// Writes a tree back in the same format (strings as ASCII with #nnn codes), so
// that reading it again gives the same tree, apart from line and column.
// Names must be identifiers. Control characters U+0080 to U+009F that
// Windows-1252 puts elsewhere cannot be written and become '?'; a real that is
// not finite throws EDefinitionError.
FRAMEWORK_EXPORT QByteArray WriteDefinition(const DefinitionObject& root);

// Windows-1252 bytes to Unicode and back; characters that code page lacks
// become '?'.
FRAMEWORK_EXPORT QString FromWindows1252(const QByteArray& bytes);
FRAMEWORK_EXPORT QByteArray ToWindows1252(const QString& text);
