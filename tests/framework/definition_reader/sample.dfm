inherited frmDemo: TfrmDemo
  Left = 437
  Caption = 'Relatório de Limpeza de Dados'
  Font.Style = [fsBold]
  OnCreate = FormCreate
  inherited grbDadosRel: TGroupBox
    Height = 118
    object depDtIni: TDateEditPlus
      NomeSemana.Strings = (
        'Domingo'
        'Ter'#231'a'
        'S'#225'bado')
      Glyph.Data = {
        0A0B0C0D
        0E0F}
    end
  end
end
