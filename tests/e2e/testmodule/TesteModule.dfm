inherited frmTeste: TfrmTeste
  Caption = 'Tela de teste'
  ClientHeight = 120
  HelpFile = 'Tsthelp.hlp'
  HelpContext = 100
  inherited lblCodTela: TLabel
    Caption = 'TST00100'
  end
  inherited grbDadosRel: TGroupBox
    Height = 93
    object edtUsuario: TEdit
      Left = 64
      Top = 50
      Width = 120
      Height = 21
      TabOrder = 1
    end
  end
  inherited panMenu: TPanel
    inherited lblCodRel: TLabel
      Caption = 'TST001'
    end
  end
  inherited rpddPadrao: TReportDesignerDialog
    BeforeGetQueryParams = rpddPadraoBeforeGetQueryParams
  end
end
