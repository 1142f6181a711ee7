inherited frmDerived: TfrmDerived
  object edtX: TEditPlus
    Left = 1
  end
end
