object frm: TForm
  Left = -437
  Tag = $FF
  Ratio = 1.5E3
  Caption = 'Relat'#243'rio '#8364' d''Avila' +
    ' fim'
  DataSet = Form1.cds
  Font.Style = [fsBold, fsItalic]
  Anchors = []
  Lines.Strings = (
    'a|b'
    12
    clRed)
  Glyph.Data = {
    0A0B0C0D
    0E0F}
end
