inherited frmDerived: TfrmDerived
  object edtX: TEdit
    Left = 'dez'
  end
end
