object frm: TForm
  Caption = 'Relat√≥rio'
  Hint = 'A«√O N√O …'
end
