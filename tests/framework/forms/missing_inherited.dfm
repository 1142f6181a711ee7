inherited frmDerived: TfrmDerived
  inherited edtZ: TEdit
    Left = 1
  end
end
