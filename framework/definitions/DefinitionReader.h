#pragma once

#include <QByteArray>
#include <QString>

#include "CodePage.h"
#include "DefinitionError.h"
#include "DefinitionTree.h"
#include "Export.h"

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
// bytes; codes from 256 up are Unicode code points. Quoted text that is UTF-8
// instead (IsUtf8Text: a file saved in the wrong code page) is refused rather
// than shown garbled. Numbers use '.' whatever the locale; integers may be
// written in hex as $FF. Keywords (object, inherited, end, item) are
// case-insensitive. As an extension, // starts a comment that runs to the end
// of the line. Nesting of objects and values is limited to 200 levels. This is
// the one reader of such text: it builds a tree and knows nothing of
// components.

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
