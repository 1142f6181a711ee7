inherited frmDerived: TfrmDerived
  Caption = 'Relat'#243'rio derivado'
  inherited lblA: TLabel
    Caption = 'Op'#231#227'o'
  end
  object grbOpcoes: TGroupBox
    Left = 4
    Top = 40
    Width = 200
    Height = 70
    Caption = 'Op'#231#245'es'
    Font.Style = [fsBold]
    TabOrder = 1
    object rbtUm: TRadioButton
      Left = 6
      Top = 16
      Width = 80
      Height = 17
      Caption = 'Um'
      Checked = True
      TabOrder = 0
      OnClick = rbtUmClick
    end
    object rbtDois: TRadioButton
      Left = 6
      Top = 40
      Width = 80
      Height = 17
      Caption = 'Dois'
      TabOrder = 1
      OnClick = rbtDoisClick
      OnKeyDown = rbtDoisKeyDown
    end
  end
  object edtB: TEdit
    Left = 60
    Top = 28
    Width = 100
    Height = 21
    TabOrder = 2
  end
  object cdsLista: TClientDataSet
    Aggregates = <>
    Params = <>
    object cdsListaNOME: TStringField
      FieldName = 'NOME'
      Size = 10
    end
  end
  object dtsLista: TDataSource
    DataSet = cdsLista
  end
end
