inherited frmQuebrada: TfrmQuebrada
  Caption = 'Quebrada'
  object edtNada: TEditMagico
    Left = 1
  end
end
