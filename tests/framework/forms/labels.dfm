object frmRotulos: TfrmRotulos
  Caption = 'Rotulos'
  ClientHeight = 200
  ClientWidth = 400
  object lblNome: TLabel
    Left = 4
    Top = 4
    Width = 50
    Height = 13
    Caption = 'Nome'
    FocusControl = edtLonge
  end
  object edtPerto: TEdit
    Left = 60
    Top = 2
    Width = 100
    Height = 21
  end
  object lblCodigo: TLabel
    Left = 4
    Top = 32
    Width = 50
    Height = 13
    Caption = '&C'#243'digo'
  end
  object btnAjuda: TSpeedButton
    Left = 56
    Top = 30
    Width = 21
    Height = 21
    Hint = 'Pesquisar (F9)'
  end
  object edtCodigo: TEdit
    Left = 80
    Top = 30
    Width = 80
    Height = 21
  end
  object edtOutro: TEdit
    Left = 170
    Top = 30
    Width = 80
    Height = 21
  end
  object lblCidade: TLabel
    Left = 4
    Top = 60
    Width = 50
    Height = 13
    Caption = 'Cidade'
  end
  object edtCidade: TEdit
    Left = 60
    Top = 58
    Width = 100
    Height = 21
    AccessibleName = 'Cidade de entrega'
  end
  object edtAntes: TEdit
    Left = 4
    Top = 88
    Width = 40
    Height = 21
  end
  object lblSozinho: TLabel
    Left = 60
    Top = 90
    Width = 50
    Height = 13
    Caption = 'Sem controle'
  end
  object edtAbaixo: TEdit
    Left = 120
    Top = 104
    Width = 60
    Height = 21
  end
  object grpDentro: TGroupBox
    Left = 4
    Top = 130
    Width = 100
    Height = 60
    Caption = 'Grupo'
    object lblDentro: TLabel
      Left = 4
      Top = 20
      Width = 90
      Height = 13
      Caption = 'Dentro'
    end
  end
  object edtFora: TEdit
    Left = 110
    Top = 148
    Width = 60
    Height = 21
  end
  object edtLonge: TEdit
    Left = 300
    Top = 170
    Width = 60
    Height = 21
  end
end
