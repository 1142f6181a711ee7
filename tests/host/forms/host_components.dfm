object frmHostComponents: TfrmHostComponents
  Caption = 'Componentes'
  ClientHeight = 120
  ClientWidth = 300
  object depDtIni: TDateEditPlus
    Left = 8
    Top = 8
    Width = 98
    Height = 21
    Color = clInfoBk
    ValidDateColor = clBlue
    SaveTime = False
    NomeSemana.Strings = (
      'Domingo'
      'Segunda'
      'Ter'#231'a'
      'Quarta'
      'Quinta'
      'Sexta'
      'S'#225'bado')
    ButtonBitmap.Data = {
      46000000424D460000000000000036000000280000000200000002000000
      010018000000000010000000130B0000130B00000000000000000000FFFF
      FF0000FF0000FFFFFF0000FF0000}
    TabOrder = 0
    OnChange = depDtIniChange
    OnDateChange = depDtIniDateChange
    OnExit = depDtIniExit
  end
  object depDtFim: TDateEditPlus
    Left = 8
    Top = 40
    Width = 98
    Height = 21
    ValidDateColor = 32768
    Text = '  /  /    '
    TabOrder = 1
    OnChange = depDtFimChange
    OnDateChange = depDtFimDateChange
    OnExit = depDtFimExit
  end
  object sbtSist: TButtonFlat
    Left = 120
    Top = 8
    Width = 21
    Height = 21
    Hint = 'Pesquisar'
    Enabled = False
    Flat = True
    Glyph.Data = {
      4E000000424D4E0000000000000036000000280000000400000002000000
      010018000000000018000000130B0000130B00000000000000000000FFFF
      FF0000FFFFFFFF0000FFFFFFFF0000FFFFFFFF0000FF}
    NumGlyphs = 2
    ParentShowHint = False
    ShowHint = True
    OnClick = sbtSistClick
  end
  object msgPadrao: TMessages
    Messages.Strings = (
      'DtIni_Inv|Data inicial deve ser informada.'
      'Sem_Texto'
      'Dup|primeira'
      'Dup|segunda'
      'Barra|a|b')
    Left = 200
    Top = 8
  end
end
