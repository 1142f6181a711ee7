inherited frmDerived: TfrmDerived
  object edtX: TEdit
    OnChange = edtXChange
  end
end
