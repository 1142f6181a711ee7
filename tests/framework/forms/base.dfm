object frmBase: TfrmBase
  Left = 10
  Top = 20
  Caption = 'Base'
  ClientHeight = 120
  ClientWidth = 300
  OnCreate = FormCreate
  OnActivate = FormActivate
  OnClose = FormClose
  object lblA: TLabel
    Left = 4
    Top = 4
    Caption = 'Nome'
  end
  object edtA: TEdit
    Left = 60
    Top = 4
    Width = 100
    Height = 21
    TabOrder = 0
    OnChange = edtAChange
    OnExit = edtAExit
  end
  object btnGo: TSpeedButton
    Left = 200
    Top = 4
    Width = 25
    Height = 25
    Hint = 'Ir'
    OnClick = btnGoClick
  end
end
