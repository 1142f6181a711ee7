inherited frmDerived: TfrmDerived
  object edtA: TEdit
    Left = 1
  end
end
