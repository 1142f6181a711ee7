inherited frmDerived: TfrmDerived
  object edtX: TEdit
    Left = 1
